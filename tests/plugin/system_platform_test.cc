// The plug-in over the system's store, its folders found in an environment
// of the test's making: without a calendar folder every function that needs
// the store says what to set, and nothing is made in the working directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/plugin/test_host.h"
#include "tests/support/fake_store_environment.h"

namespace zylo::testing {
namespace {

namespace fs = std::filesystem;

// Runs in an empty working directory of its own, to show nothing lands there.
class SystemPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "cwd");
    fs::current_path(dir_ / "cwd");
  }
  // The system store goes with its services, before its folder does.
  void TearDown() override {
    host_.reset();
    installPlatformServices(testPlatform());
    fs::current_path(was_);
    fs::remove_all(dir_);
  }

  void start() {
    PlatformServices services = systemPlatformServices(environment_);
    services.timeZone = foundation::fixedOffsetZone(0);
    services.osVersion = std::make_shared<FixedOsVersion>(8);
    host_.emplace(std::move(services));
  }
  // The code and text Zylo_GetLastError gives after `name` answered the
  // error marker.
  std::string failure(std::u16string_view name, std::vector<fmxhost::Value> params) {
    if (textOf(host_->call(name, std::move(params))) != u"!!ERROR!!") return "no error";
    return foundation::toUtf8(host_->call(u"Zylo_GetLastError", {text(u"number")}).asText() + u" " +
                              textOf(host_->call(u"Zylo_GetLastError")));
  }

  const fs::path was_ = fs::current_path();
  const fs::path dir_ = fs::temp_directory_path() / ("zylo-system-platform-" + std::to_string(::getpid()));
  std::shared_ptr<FakeStoreEnvironment> environment_ = std::make_shared<FakeStoreEnvironment>();
  std::optional<TestHost> host_;
};

TEST_F(SystemPlatformTest, WithoutHomeOrSettingEveryStoreFunctionSaysWhatToSet) {
  start();
  const std::string expected =
      "9999 No calendar folder is set: set ZYLO_CALENDARS or `calendars` in /etc/zylo/zylo.conf.";
  EXPECT_EQ(failure(u"Zylo_GetItemCountForType", {text(u"calendar")}), expected);
  EXPECT_EQ(failure(u"Zylo_OpenItemWithUID", {text(u"task"), text(u"report")}), expected);
  EXPECT_EQ(failure(u"Zylo_CalOpenCalendarWithTitle", {text(u"Home")}), expected);
  EXPECT_EQ(failure(u"Zylo_EventsFetch", {timestamp(2026, 6, 1, 0, 0, 0), timestamp(2026, 7, 1, 0, 0, 0)}),
            expected);
  EXPECT_EQ(failure(u"Zylo_RemoveItem", {text(u"task"), text(u"report")}), expected);
  EXPECT_TRUE(fs::is_empty(dir_ / "cwd"));
}

TEST_F(SystemPlatformTest, AFreshServersFolderIsMadeWhereTheConfigurationSays) {
  environment_->files["/etc/zylo/zylo.conf"] = "calendars = " + (dir_ / "srv" / "calendars").string() + "\n";
  start();
  EXPECT_EQ(failure(u"Zylo_GetItemCountForType", {text(u"calendar")}),
            "9999 The calendar folder " + (dir_ / "srv" / "calendars").string() + " does not exist, nor does " +
                (dir_ / "srv").string() +
                " to make it in. Set ZYLO_CALENDARS or `calendars` in /etc/zylo/zylo.conf.");
  fs::create_directory(dir_ / "srv");
  EXPECT_EQ(host_->call(u"Zylo_GetItemCountForType", {text(u"calendar")}).asText(), u"0");
  EXPECT_TRUE(fs::is_directory(dir_ / "srv" / "calendars"));
  EXPECT_TRUE(fs::is_empty(dir_ / "cwd"));
}

}  // namespace
}  // namespace zylo::testing
