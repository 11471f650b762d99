// Texts: UTF-16 units, as the host keeps them.
#include <algorithm>
#include <cstring>

#include "platform/fmx/host/handles.h"
#include "platform/foundation/string.h"

using fmxhost::checked;
using fmxhost::guarded;
using fmxhost::guardedVoid;

namespace {

// Bytes above 127 are not ASCII: each becomes U+FFFD.
std::u16string fromAscii(const char* s) {
  std::u16string units;
  for (; *s != '\0'; ++s) {
    const auto byte = static_cast<unsigned char>(*s);
    units.push_back(byte < 0x80 ? char16_t{byte} : u'\uFFFD');
  }
  return units;
}

// The part of `units` from `position` on, `size` units at most.
std::u16string_view clampedRange(const std::u16string& units, uint32_t position, uint32_t size) {
  if (position >= units.size()) return {};
  return std::u16string_view(units).substr(position, size);
}

}  // namespace

extern "C" {

FM_Text* FM_Text_Constructor1(FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_Text*>(nullptr), [] { return new FM_Text; });
}

void FM_Text_Delete(FM_Text* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

uint32_t FM_Text_GetSize(const FM_Text* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, 0u, [&] { return static_cast<uint32_t>(checked(self).units.size()); });
}

void FM_Text_GetUnicode(const FM_Text* self, FMX_Unichar* buffer, uint32_t position, uint32_t size,
                        FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] {
    const auto& units = checked(self).units;
    if (buffer == nullptr || position > units.size() || size > units.size() - position) {
      throw fmxhost::BadHandle{};
    }
    std::copy_n(units.data() + position, size, buffer);
  });
}

void FM_Text_Assign(FM_Text* self, const char* s, int32_t encoding, FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] {
    checked(s);
    checked(self).units =
        encoding == kFMX_EncodingASCII ? fromAscii(s) : foundation::fromUtf8(s);
  });
}

void FM_Text_AssignUnicode(FM_Text* self, const FMX_Unichar* s, FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] { checked(self).units = std::u16string(&checked(s)); });
}

void FM_Text_AssignUnicodeWithLength(FM_Text* self, const FMX_Unichar* s, uint32_t length,
                                     FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] {
    if (length > 0) checked(s);
    checked(self).units.assign(s, length);
  });
}

void FM_Text_AssignWide(FM_Text* self, const wchar_t* s, FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] {
    checked(s);
    static_assert(sizeof(wchar_t) == sizeof(char32_t), "wide text is UTF-32 here");
    const std::wstring_view wide(s);
    checked(self).units = foundation::fromUtf32(
        std::u32string_view(reinterpret_cast<const char32_t*>(wide.data()), wide.size()));
  });
}

void FM_Text_SetText(FM_Text* self, const FM_Text* source, uint32_t position, uint32_t size,
                     FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] {
    checked(self).units = std::u16string(clampedRange(checked(source).units, position, size));
  });
}

void FM_Text_Uppercase(FM_Text* self, FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] { checked(self).units = foundation::uppercased(checked(self).units); });
}

bool FM_Text_operatorEQ(const FM_Text* self, const FM_Text* other, FMX_ErrorBlock* err) {
  return guarded(__func__, err, false, [&] { return checked(self).units == checked(other).units; });
}

uint32_t FM_Text_Find(const FM_Text* self, const FM_Text* other, uint32_t position, FMX_ErrorBlock* err) {
  return guarded(__func__, err, kFMX_NotFound, [&] {
    const size_t at = checked(self).units.find(checked(other).units, position);
    return at == std::u16string::npos ? kFMX_NotFound : static_cast<uint32_t>(at);
  });
}

void FM_Text_DeleteText(FM_Text* self, uint32_t position, uint32_t size, FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] {
    auto& units = checked(self).units;
    if (position < units.size()) units.erase(position, size);
  });
}

}  // extern "C"
