#include "tests/plugin/test_host.h"

#include <gtest/gtest.h>

#include "plugin/plugin_entry.h"
#include "plugin/string_table.h"

namespace zylo::testing {

PlatformServices testPlatform() {
  return {foundation::fixedOffsetZone(0),
          std::make_shared<FixedOsVersion>(8),
          [] { return std::shared_ptr<CalendarStore>(); },
          [] {},
          [] {}};
}

TestHost::TestHost(PlatformServices services, std::shared_ptr<const foundation::StringsTable> strings,
                   uint16_t hostVersion)
    : hostVersion_(hostVersion) {
  installPlatformServices(std::move(services));
  installStringTable(std::move(strings));
  startUp_ = send(kFMXT_Init);
}

TestHost::~TestHost() {
  for (uintptr_t session : sessions_) endSession(session);
  send(kFMXT_Shutdown);
  installStringTable(nullptr);
}

FMX_ExternCallStruct TestHost::callStruct(uint8_t message) {
  FMX_ExternCallStruct call{};
  call.whichCall = message;
  call.extnVersion = static_cast<int16_t>(hostVersion_);
  call.unusedID = -1;
  call.cStartScript = startScript_;
  return call;
}

intptr_t TestHost::send(uint8_t message, intptr_t result) {
  FMX_ExternCallStruct call = callStruct(message);
  call.result = result;
  FMExternCallProc(&call);
  return call.result;
}

void TestHost::endSession(uintptr_t session) {
  FMX_ExternCallStruct call = callStruct(kFMXT_SessionShutdown);
  call.parm2 = session;
  FMExternCallProc(&call);
}

void TestHost::idle(uint8_t level, bool unsafeCalls) {
  FMX_ExternCallStruct call = callStruct(kFMXT_Idle);
  call.parm1 = level;
  call.unsafeCalls = unsafeCalls ? 1 : 0;
  FMExternCallProc(&call);
}

void TestHost::setStartScript(FMX_StartScriptCall callback) {
  startScript_ = callback;
  idle();
}

std::u16string TestHost::requestString(uint32_t number, int32_t capacity) {
  std::u16string buffer(static_cast<size_t>(capacity), u'x');
  FMX_ExternCallStruct call = callStruct(kFMXT_GetString);
  call.parm1 = static_cast<uint8_t>(number);
  call.parm3 = static_cast<uint64_t>(capacity);
  call.result = reinterpret_cast<intptr_t>(buffer.data());
  FMExternCallProc(&call);
  return buffer;
}

fmxhost::Value TestHost::call(std::u16string_view name, std::vector<fmxhost::Value> params,
                              uintptr_t session) {
  {
    std::lock_guard guard(sessionsLock_);
    sessions_.insert(session);
  }
  const fmxhost::Function* f = fmxhost::findFunction(name);
  if (!f) {
    ADD_FAILURE() << "no function registered under that name";
    return {};
  }
  fmxhost::CallOutcome outcome = fmxhost::callFunction(*f, params, session);
  EXPECT_EQ(outcome.hostError, 0);
  return outcome.result;
}

fmxhost::Value text(std::u16string_view s) { return {std::u16string(s)}; }

fmxhost::Value number(int64_t n) { return {fmxhost::Number::fromInt(n)}; }

fmxhost::Value timestamp(int year, int month, int day, int hour, int minute, int second) {
  return {fmxhost::Timestamp{{year, month, day}, {hour, minute, second, 0}}};
}

std::u16string textOf(const fmxhost::Value& v) {
  const auto* s = std::get_if<std::u16string>(&v.content);
  return s ? *s : u"<not text>";
}

}  // namespace zylo::testing
