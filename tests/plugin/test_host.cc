#include "tests/plugin/test_host.h"

#include <gtest/gtest.h>

#include "plugin/plugin_entry.h"

namespace zylo::testing {

PlatformServices testPlatform() {
  return {foundation::fixedOffsetZone(0),
          std::make_shared<FixedOsVersion>(8),
          [] { return std::shared_ptr<CalendarStore>(); },
          [] {},
          [] {}};
}

TestHost::TestHost(PlatformServices services, std::filesystem::path bundle, uint16_t hostVersion)
    : bundle_(bundle.string()), hostVersion_(hostVersion) {
  installPlatformServices(std::move(services));
  startUp_ = send(kFMXT_Init);
}

TestHost::~TestHost() { send(kFMXT_Shutdown); }

FMX_ExternCallStruct TestHost::callStruct(uint8_t message) {
  FMX_ExternCallStruct call{};
  call.whichCall = message;
  call.extnVersion = hostVersion_;
  call.bundlePath = bundle_.c_str();
  call.cStartScript = startScript_;
  return call;
}

intptr_t TestHost::send(uint8_t message, intptr_t result) {
  last_ = callStruct(message);
  last_.result = result;
  FMExternCallProc(&last_);
  return last_.result;
}

std::u16string TestHost::requestString(uint32_t number, int32_t capacity) {
  std::u16string buffer(static_cast<size_t>(capacity), u'x');
  last_ = callStruct(kFMXT_GetString);
  last_.parm1 = number;
  last_.parm3 = capacity;
  last_.result = reinterpret_cast<intptr_t>(buffer.data());
  FMExternCallProc(&last_);
  return buffer;
}

fmxhost::Value TestHost::call(std::u16string_view name, std::vector<fmxhost::Value> params) {
  // The plug-in reads the callback from the latest call structure.
  last_.cStartScript = startScript_;
  const fmxhost::Function* f = fmxhost::findFunction(name);
  if (!f) {
    ADD_FAILURE() << "no function registered under that name";
    return {};
  }
  fmxhost::CallOutcome outcome = fmxhost::callFunction(*f, params);
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
