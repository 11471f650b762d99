// The built Zylo.fmx driven as the real host drives it, without the
// project's own structure type: the call structure is written as 74 bytes
// at the host's offsets, answers are read at offset 42, and a registered
// function is called through a plain pointer with its id first.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/fmx/host/host_api.h"

namespace {

using EntryPoint = void (*)(void*);
using RawFunction = int16_t (*)(int16_t, void*, void*, void*);

// The host's call structure as bytes: packed, 74 bytes.
class RawCall {
 public:
  explicit RawCall(uint8_t message) {
    put<int16_t>(0, 74);       // extnVersion: a current host
    put<int32_t>(2, -1);       // unusedID
    bytes_[15] = message;      // whichCall
  }
  template <class T>
  void put(size_t offset, T value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof value);
  }
  template <class T>
  T get(size_t offset) const {
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
  }
  int64_t result() const { return get<int64_t>(42); }
  void* data() { return bytes_.data(); }

 private:
  std::array<unsigned char, 74> bytes_{};
};

class RawInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fmxhost::resetRegistry();
    handle_ = dlopen(ZYLO_FMX_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    entry_ = reinterpret_cast<EntryPoint>(dlsym(handle_, "FMExternCallProc"));
    ASSERT_NE(entry_, nullptr);
  }
  void TearDown() override {
    if (handle_) dlclose(handle_);
  }
  int64_t send(RawCall call) {
    entry_(call.data());
    return call.result();
  }
  std::u16string string(uint8_t kind, uint64_t room) {
    std::u16string buffer(room, u'x');
    RawCall call(7);
    call.put<uint8_t>(17, kind);
    call.put<uint64_t>(18, 0);  // language
    call.put<uint64_t>(26, room);
    call.put<int64_t>(42, reinterpret_cast<int64_t>(buffer.data()));
    entry_(call.data());
    // The buffer's address is the result field: the plug-in leaves it be.
    EXPECT_EQ(call.result(), reinterpret_cast<int64_t>(buffer.data()));
    return buffer.substr(0, buffer.find(u'\0'));
  }

  void* handle_ = nullptr;
  EntryPoint entry_ = nullptr;
};

TEST_F(RawInterfaceTest, StringsInitIdleFunctionAndShutdown) {
  // Strings are answered before start-up, from the table built in.
  EXPECT_EQ(string(131, 64), u"Zylo1nnYYYn");
  EXPECT_EQ(string(128, 64), u"Zylo");
  EXPECT_EQ(string(128, 4), u"");  // too long for the room: the empty text

  RawCall init(0);
  const char16_t hostVersion[] = u"21.0.1";
  init.put<uint8_t>(17, 7);  // the server's script engine
  init.put<uint64_t>(18, reinterpret_cast<uint64_t>(hostVersion));
  EXPECT_EQ(send(init), 53);
  ASSERT_EQ(fmxhost::registeredFunctions().size(), 16u);

  RawCall idle(1);
  idle.put<int64_t>(42, 1234);
  EXPECT_EQ(send(idle), 1234);

  const fmxhost::Function& version = fmxhost::registeredFunctions().front();
  ASSERT_EQ(version.id, 151);
  auto function = reinterpret_cast<RawFunction>(version.call);
  FMX_ErrorBlock err{1, 0};
  FM_DataVect* parms = FM_DataVect_Constructor1(&err);
  FM_Data* argument = FM_Data_Constructor1(&err);
  FM_Text* longForm = FM_Text_Constructor1(&err);
  FM_Locale* locale = FM_Locale_Constructor1(1, &err);
  FM_Text_Assign(longForm, "long", 1, &err);
  FM_Data_SetAsText(argument, longForm, locale, kFMX_TypeText, &err);
  FM_DataVect_PushBack(parms, argument, &err);
  FM_Data* result = FM_Data_Constructor1(&err);
  ASSERT_EQ(err.code, 0);
  // zylo-host's environment is the calling session's id.
  uintptr_t environment = 7;
  EXPECT_EQ(function(151, &environment, parms, result), 0);
  EXPECT_EQ(fmxhost::valueOf(result).asText(), u"Tessaly " ZYLO_VERSION);
  for (FM_Data* d : {argument, result}) FM_Data_Delete(d, &err);
  FM_Text_Delete(longForm, &err);
  FM_Locale_Delete(locale, &err);
  FM_DataVect_Delete(parms, &err);

  RawCall shutdown(4);
  shutdown.put<int64_t>(42, 99);
  EXPECT_EQ(send(shutdown), 99);
  EXPECT_TRUE(fmxhost::registeredFunctions().empty());
}

TEST_F(RawInterfaceTest, RefusesHostVersionsOutsideItsRange) {
  RawCall init(0);
  init.put<int16_t>(0, 49);
  EXPECT_EQ(send(init), -1);
  init.put<int16_t>(0, 256);
  EXPECT_EQ(send(init), -1);
  EXPECT_TRUE(fmxhost::registeredFunctions().empty());
}

}  // namespace
