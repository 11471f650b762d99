// Thin C++ wrappers over the host SDK's C interface. A failure the host
// reports becomes an exception: std::bad_alloc for an allocation failure,
// fmx::HostFailure for any other.
//
// Owning classes (Text, FixPt, DateTime, Locale, Data, QuadChar) construct
// and delete their handle; the *Ref classes view a handle the host owns.
// Not thread-safe: the plug-in uses host values only behind its one lock.
#ifndef ZYLO_PLATFORM_FMX_FMX_H_
#define ZYLO_PLATFORM_FMX_FMX_H_

#include <cstdint>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "platform/fmx/fmx_abi.h"

namespace fmx {

class HostFailure : public std::runtime_error {
 public:
  explicit HostFailure(int32_t code) : std::runtime_error("host SDK call failed"), code_(code) {}
  int32_t code() const { return code_; }

 private:
  int32_t code_;
};

// Turns a code the host reported into the exception it stands for.
inline void throwIfFailed(int32_t code) {
  if (code == kFMX_BadAlloc) throw std::bad_alloc();
  if (code != kFMX_NoError) throw HostFailure(code);
}

// Runs one SDK call with a fresh error block and throws when the library
// wrote a failure into it.
template <class F>
auto call(F&& f) {
  FMX_ErrorBlock err{kFMX_ErrorBlockVersion, kFMX_NoError};
  if constexpr (std::is_void_v<decltype(f(&err))>) {
    f(&err);
    throwIfFailed(err.code);
  } else {
    auto r = f(&err);
    throwIfFailed(err.code);
    return r;
  }
}

// Base of the owning wrappers: one handle, deleted with the SDK's deleter.
// Deleting never throws; a failure to delete is ignored.
template <class H, void (*Delete)(H*, FMX_ErrorBlock*)>
class Owned {
 public:
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  ~Owned() {
    if (h_) {
      FMX_ErrorBlock ignored{kFMX_ErrorBlockVersion, kFMX_NoError};
      Delete(h_, &ignored);
    }
  }
  H* get() const { return h_; }

 protected:
  explicit Owned(H* h) : h_(h) {}
  H* h_;
};

class TextRef {
 public:
  explicit TextRef(const FM_Text* h) : h_(h) {}
  const FM_Text* get() const { return h_; }
  uint32_t size() const { return call([&](FMX_ErrorBlock* e) { return FM_Text_GetSize(h_, e); }); }
  void getUnicode(FMX_Unichar* buffer, uint32_t position, uint32_t size) const {
    call([&](FMX_ErrorBlock* e) { FM_Text_GetUnicode(h_, buffer, position, size, e); });
  }
  bool operator==(TextRef other) const {
    return call([&](FMX_ErrorBlock* e) { return FM_Text_operatorEQ(h_, other.h_, e); });
  }
  uint32_t find(TextRef other, uint32_t position) const {
    return call([&](FMX_ErrorBlock* e) { return FM_Text_Find(h_, other.h_, position, e); });
  }

 private:
  const FM_Text* h_;
};

class Text : public Owned<FM_Text, FM_Text_Delete> {
 public:
  Text() : Owned(call([](FMX_ErrorBlock* e) { return FM_Text_Constructor1(e); })) {}
  TextRef ref() const { return TextRef(h_); }
  uint32_t size() const { return ref().size(); }
  void assign(const char* s, int32_t encoding = kFMX_EncodingUTF8) {
    call([&](FMX_ErrorBlock* e) { FM_Text_Assign(h_, s, encoding, e); });
  }
  void assignUnicode(const FMX_Unichar* s) {
    call([&](FMX_ErrorBlock* e) { FM_Text_AssignUnicode(h_, s, e); });
  }
  void assignUnicodeWithLength(const FMX_Unichar* s, uint32_t length) {
    call([&](FMX_ErrorBlock* e) { FM_Text_AssignUnicodeWithLength(h_, s, length, e); });
  }
  void assignWide(const wchar_t* s) { call([&](FMX_ErrorBlock* e) { FM_Text_AssignWide(h_, s, e); }); }
  void setText(TextRef source, uint32_t position = 0, uint32_t size = UINT32_MAX) {
    call([&](FMX_ErrorBlock* e) { FM_Text_SetText(h_, source.get(), position, size, e); });
  }
  void uppercase() { call([&](FMX_ErrorBlock* e) { FM_Text_Uppercase(h_, e); }); }
  void deleteText(uint32_t position, uint32_t size = UINT32_MAX) {
    call([&](FMX_ErrorBlock* e) { FM_Text_DeleteText(h_, position, size, e); });
  }
};

class FixPtRef {
 public:
  explicit FixPtRef(const FM_FixPt* h) : h_(h) {}
  const FM_FixPt* get() const { return h_; }
  int32_t asLong() const { return call([&](FMX_ErrorBlock* e) { return FM_FixPt_AsLong(h_, e); }); }

 private:
  const FM_FixPt* h_;
};

class FixPt : public Owned<FM_FixPt, FM_FixPt_Delete> {
 public:
  explicit FixPt(int32_t value = 0, int32_t precision = 16)
      : Owned(call([&](FMX_ErrorBlock* e) { return FM_FixPt_Constructor1(value, precision, e); })) {}
  void assignInt(int32_t v) { call([&](FMX_ErrorBlock* e) { FM_FixPt_AssignInt(h_, v, e); }); }
  int32_t asLong() const { return FixPtRef(h_).asLong(); }
};

class DateTimeRef {
 public:
  explicit DateTimeRef(const FM_DateTime* h) : h_(h) {}
  const FM_DateTime* get() const { return h_; }
  int16_t year() const { return call([&](FMX_ErrorBlock* e) { return FM_DateTime_GetYear(h_, e); }); }
  int16_t month() const { return call([&](FMX_ErrorBlock* e) { return FM_DateTime_GetMonth(h_, e); }); }
  int16_t day() const { return call([&](FMX_ErrorBlock* e) { return FM_DateTime_GetDay(h_, e); }); }
  int32_t hour() const { return call([&](FMX_ErrorBlock* e) { return FM_DateTime_GetHour(h_, e); }); }
  int16_t minute() const { return call([&](FMX_ErrorBlock* e) { return FM_DateTime_GetMinute(h_, e); }); }
  int16_t sec() const { return call([&](FMX_ErrorBlock* e) { return FM_DateTime_GetSec(h_, e); }); }

 private:
  const FM_DateTime* h_;
};

class DateTime : public Owned<FM_DateTime, FM_DateTime_Delete> {
 public:
  DateTime() : Owned(call([](FMX_ErrorBlock* e) { return FM_DateTime_Constructor1(e); })) {}
  DateTimeRef ref() const { return DateTimeRef(h_); }
  void setNormalizedDate(int16_t month, int16_t day, int16_t year) {
    throwIfFailed(call([&](FMX_ErrorBlock* e) { return FM_DateTime_SetNormalizedDate1(h_, month, day, year, e); }));
  }
  void setNormalizedTime(int64_t hour, int16_t minute, int16_t sec, int32_t usec) {
    throwIfFailed(call([&](FMX_ErrorBlock* e) {
      return FM_DateTime_SetNormalizedTime1(h_, hour, minute, sec, usec, e);
    }));
  }
};

class Locale : public Owned<FM_Locale, FM_Locale_Delete> {
 public:
  explicit Locale(int32_t type = 1)
      : Owned(call([&](FMX_ErrorBlock* e) { return FM_Locale_Constructor1(type, e); })) {}
  void assign(const FM_Locale* other) {
    call([&](FMX_ErrorBlock* e) { return FM_Locale_operatorAS(h_, other, e); });
  }
};

// A data value the host owns (a call's result) or that an owning Data holds.
class DataRef {
 public:
  explicit DataRef(FM_Data* h) : h_(h) {}
  FM_Data* get() const { return h_; }
  const FM_Locale* locale() const {
    return call([&](FMX_ErrorBlock* e) { return FM_Data_GetLocale(h_, e); });
  }
  // The text setter also answers an error code of its own.
  void setAsText(TextRef text, const FM_Locale* locale, int32_t nativeType = kFMX_TypeText) {
    throwIfFailed(
        call([&](FMX_ErrorBlock* e) { return FM_Data_SetAsText(h_, text.get(), locale, nativeType, e); }));
  }
  void setAsNumber(const FixPt& n, int32_t nativeType = kFMX_TypeNumber) {
    call([&](FMX_ErrorBlock* e) { FM_Data_SetAsNumber(h_, n.get(), nativeType, e); });
  }
  void setAsDate(const DateTime& d, int32_t nativeType = kFMX_TypeDate) {
    call([&](FMX_ErrorBlock* e) { FM_Data_SetAsDate(h_, d.get(), nativeType, e); });
  }
  void setAsTimeStamp(const DateTime& d, int32_t nativeType = kFMX_TypeTimeStamp) {
    call([&](FMX_ErrorBlock* e) { FM_Data_SetAsTimeStamp(h_, d.get(), nativeType, e); });
  }

 private:
  FM_Data* h_;
};

class Data : public Owned<FM_Data, FM_Data_Delete> {
 public:
  Data() : Owned(call([](FMX_ErrorBlock* e) { return FM_Data_Constructor1(e); })) {}
  DataRef ref() const { return DataRef(h_); }
};

class DataVectRef {
 public:
  explicit DataVectRef(const FM_DataVect* h) : h_(h) {}
  uint32_t size() const { return call([&](FMX_ErrorBlock* e) { return FM_DataVect_Size(h_, e); }); }
  TextRef atAsText(uint32_t i) const {
    return TextRef(call([&](FMX_ErrorBlock* e) { return FM_DataVect_AtAsText(h_, i, e); }));
  }
  FixPtRef atAsNumber(uint32_t i) const {
    return FixPtRef(call([&](FMX_ErrorBlock* e) { return FM_DataVect_AtAsNumber(h_, i, e); }));
  }
  DateTimeRef atAsTimeStamp(uint32_t i) const {
    return DateTimeRef(call([&](FMX_ErrorBlock* e) { return FM_DataVect_AtAsTimeStamp(h_, i, e); }));
  }
  const FM_Data* at(uint32_t i) const {
    return call([&](FMX_ErrorBlock* e) { return FM_DataVect_At(h_, i, e); });
  }
  const FM_Locale* localeAt(uint32_t i) const {
    const FM_Data* data = at(i);
    return call([&](FMX_ErrorBlock* e) { return FM_Data_GetLocale(data, e); });
  }

 private:
  const FM_DataVect* h_;
};

class QuadChar : public Owned<FM_QuadChar, FM_QuadChar_Delete> {
 public:
  QuadChar(char c0, char c1, char c2, char c3)
      : Owned(call([&](FMX_ErrorBlock* e) { return FM_QuadChar_Constructor2(c0, c1, c2, c3, e); })) {}
};

inline FMX_Err registerExternalFunction(const QuadChar& id, int16_t functionId, const Text& name,
                                        const Text& prototype, int16_t minArgs, int16_t maxArgs,
                                        uint32_t flags, FMX_ExternCallPtr function) {
  return call([&](FMX_ErrorBlock* e) {
    return FM_ExprEnv_RegisterExternalFunction(id.get(), functionId, name.get(), prototype.get(),
                                               minArgs, maxArgs, flags, function, e);
  });
}

inline FMX_Err unRegisterExternalFunction(const QuadChar& id, int16_t functionId) {
  return call([&](FMX_ErrorBlock* e) { return FM_ExprEnv_UnRegisterExternalFunction(id.get(), functionId, e); });
}

inline uintptr_t sessionIdOf(const FM_ExprEnv* environment) {
  return call([&](FMX_ErrorBlock* e) { return FM_ExprEnv_SessionID(environment, e); });
}

}  // namespace fmx

#endif  // ZYLO_PLATFORM_FMX_FMX_H_
