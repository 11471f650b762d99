#include "tests/functions/function_fixture.h"

#include <unistd.h>

#include "platform/calendarstore/vdir_calendar_store.h"
#include "tests/support/item_file_checks.h"
#include "plugin/plugin_state.h"
#include "tests/functions/sample_calendars.h"
#include "tests/index_folder.h"

namespace zylo::testing {

using namespace std::chrono;

PlatformServices FunctionTest::services(int osMinor) {
  auto berlin = foundation::namedZone("Europe/Berlin");
  PlatformServices s = testPlatform();
  s.timeZone = berlin;
  s.osVersion = std::make_shared<FixedOsVersion>(osMinor);
  s.calendarStore = [this] {
    storeFault_();
    return store_;
  };
  return s;
}

void FunctionTest::SetUp() {
  root_ = std::filesystem::temp_directory_path() /
          ("zylo-functions-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(root_);
  writeSampleCalendars(root_);
  restartStoreAt(sys_days{year{2026} / 6 / 15} + hours{12});
  host_.emplace(services(8));
}

void FunctionTest::restartStoreAt(foundation::Date now) {
  store_ = std::make_shared<calendarstore::VdirCalendarStore>(
      root_, foundation::namedZone("Europe/Berlin"), foundation::fixedClock(now),
      checkingFileSystem(calendarstore::systemFileSystem()), zylo::testing::testIndexFolder(root_.string() + ".index"));
}

void FunctionTest::TearDown() {
  host_.reset();
  store_.reset();
  std::filesystem::remove_all(root_);
  std::filesystem::remove_all(root_.string() + ".index");
}

void FunctionTest::startOnNewerSystem() {
  host_.reset();
  host_.emplace(services(9));
}

fmxhost::Value FunctionTest::call(std::u16string_view name, std::vector<fmxhost::Value> params) {
  return host_->call(name, std::move(params));
}

fmxhost::Value FunctionTest::callIn(uintptr_t session, std::u16string_view name,
                                    std::vector<fmxhost::Value> params) {
  return host_->call(name, std::move(params), session);
}

void FunctionTest::endSession(uintptr_t session) { host_->endSession(session); }

int32_t FunctionTest::lastCode() {
  return static_cast<int32_t>(call(u"Zylo_GetLastError", {text(u"number")}).asNumber().truncated());
}

std::u16string FunctionTest::lastError() { return textOf(call(u"Zylo_GetLastError")); }

void expectNumber(const fmxhost::Value& v, int64_t n) {
  ASSERT_EQ(v.nativeType(), kFMX_TypeNumber) << foundation::toUtf8(v.asText());
  EXPECT_EQ(v.asNumber().truncated(), n);
}

void expectTimestamp(const fmxhost::Value& v, int year, int month, int day, int hour, int minute,
                     int second) {
  const auto* ts = std::get_if<fmxhost::Timestamp>(&v.content);
  ASSERT_NE(ts, nullptr) << foundation::toUtf8(v.asText());
  EXPECT_EQ((std::array{ts->date.year, ts->date.month, ts->date.day}),
            (std::array{year, month, day}));
  EXPECT_EQ((std::array<int64_t, 3>{ts->time.hour, ts->time.minute, ts->time.second}),
            (std::array<int64_t, 3>{hour, minute, second}));
}

void expectEmpty(const fmxhost::Value& v) {
  EXPECT_EQ(v.nativeType(), kFMX_TypeInvalid) << foundation::toUtf8(v.asText());
}

}  // namespace zylo::testing
