// Finding the store's folders: the order of the settings, the errors that
// say what to set, and where a missing calendar folder is made.
#include "platform/calendarstore/default_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/calendarstore/vdir_calendar_store.h"
#include "tests/support/fake_store_environment.h"

namespace calendarstore::testing {
namespace {

namespace fs = std::filesystem;
using zylo::testing::FakeStoreEnvironment;

// The store exception's reason, or "" when there was none.
template <class F>
std::string reasonOf(F&& f) {
  try {
    f();
  } catch (const zylo::CalendarStoreException& e) {
    return foundation::toUtf8(e.reason());
  }
  return "";
}

std::string calendarsOf(const FakeStoreEnvironment& environment) {
  return storeFolders(environment).calendars.path.string();
}

std::string indexOf(const FakeStoreEnvironment& environment) {
  auto index = storeFolders(environment).index;
  return index ? index->path.string() : "none";
}

TEST(StoreFolders, EachPlaceWinsOverTheOnesAfterIt) {
  FakeStoreEnvironment env;
  env.home = "/home/fm";
  EXPECT_EQ(calendarsOf(env), "/home/fm/.local/share/zylo/calendars");
  EXPECT_EQ(indexOf(env), "/home/fm/.cache/zylo");
  env.variables["HOME"] = "/var/fmserver";
  EXPECT_EQ(calendarsOf(env), "/var/fmserver/.local/share/zylo/calendars");
  EXPECT_EQ(storeFolders(env).calendars.madeBelow, "/var/fmserver");
  env.variables["XDG_DATA_HOME"] = "/data";
  env.variables["XDG_CACHE_HOME"] = "/cache";
  EXPECT_EQ(calendarsOf(env), "/data/zylo/calendars");
  EXPECT_EQ(storeFolders(env).calendars.madeBelow, "/data");
  EXPECT_EQ(indexOf(env), "/cache/zylo");
  env.files["/etc/zylo/zylo.conf"] = "calendars = /srv/calendars/\nindex = /srv/index\n";
  EXPECT_EQ(calendarsOf(env), "/srv/calendars");
  EXPECT_EQ(storeFolders(env).calendars.madeBelow, "/srv");
  EXPECT_EQ(indexOf(env), "/srv/index");
  env.variables["ZYLO_CONFIG"] = "/opt/zylo.conf";
  env.files["/opt/zylo.conf"] = "calendars = /opt/calendars\n";
  EXPECT_EQ(calendarsOf(env), "/opt/calendars");
  EXPECT_EQ(indexOf(env), "/cache/zylo");
  env.variables["ZYLO_CALENDARS"] = "/fm/calendars";
  env.variables["ZYLO_STORE_INDEX"] = "/fm/index";
  EXPECT_EQ(calendarsOf(env), "/fm/calendars");
  EXPECT_EQ(indexOf(env), "/fm/index");
}

TEST(StoreFolders, RelativeUserFoldersArePassedOver) {
  FakeStoreEnvironment env;
  env.home = "/home/fm";
  env.variables = {{"HOME", "fm"}, {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"}};
  EXPECT_EQ(calendarsOf(env), "/home/fm/.local/share/zylo/calendars");
  EXPECT_EQ(indexOf(env), "/home/fm/.cache/zylo");
}

TEST(StoreFolders, IndexOffKeepsNone) {
  FakeStoreEnvironment env;
  env.home = "/home/fm";
  env.files["/etc/zylo/zylo.conf"] = "index = off\n";
  EXPECT_EQ(indexOf(env), "none");
  env.variables["ZYLO_STORE_INDEX"] = "/fm/index";
  EXPECT_EQ(indexOf(env), "/fm/index");
  env.files.clear();
  env.variables["ZYLO_STORE_INDEX"] = "off";
  EXPECT_EQ(indexOf(env), "none");
}

TEST(StoreFolders, WithoutHomeOrSettingTheErrorSaysWhatToSet) {
  FakeStoreEnvironment env;
  EXPECT_EQ(reasonOf([&] { storeFolders(env); }),
            "No calendar folder is set: set ZYLO_CALENDARS or `calendars` in /etc/zylo/zylo.conf.");
  env.variables["ZYLO_CONFIG"] = "/opt/zylo.conf";
  env.files["/opt/zylo.conf"] = "# nothing yet\n";
  EXPECT_EQ(reasonOf([&] { storeFolders(env); }),
            "No calendar folder is set: set ZYLO_CALENDARS or `calendars` in /opt/zylo.conf.");
  // The index is only a saving: without a home there is none.
  env.files["/opt/zylo.conf"] = "calendars = /srv/calendars\n";
  EXPECT_EQ(indexOf(env), "none");
}

TEST(StoreFolders, RelativeSettingsAndBadFilesAreErrors) {
  FakeStoreEnvironment env;
  env.home = "/home/fm";
  const auto reason = [&] { return reasonOf([&] { storeFolders(env); }); };
  env.files["/etc/zylo/zylo.conf"] = "# folders\ncalendars = calendars\n";
  EXPECT_EQ(reason(), "/etc/zylo/zylo.conf:2: `calendars` must be an absolute path, not \"calendars\".");
  env.files["/etc/zylo/zylo.conf"] = "calendars /srv/calendars\n";
  EXPECT_EQ(reason(), "/etc/zylo/zylo.conf:1: expected `key = value`.");
  env.files.clear();
  env.unreadable["/etc/zylo/zylo.conf"] = std::errc::permission_denied;
  EXPECT_EQ(reason(), "The configuration file /etc/zylo/zylo.conf cannot be read: Permission denied.");
  // Not read at all while the variables say everything.
  env.variables = {{"ZYLO_CALENDARS", "/fm/calendars"}, {"ZYLO_STORE_INDEX", "off"}};
  EXPECT_EQ(reason(), "");
  env.variables = {{"ZYLO_CALENDARS", "fm/calendars"}};
  EXPECT_EQ(reason(), "ZYLO_CALENDARS must be an absolute path, not \"fm/calendars\".");
  env.variables = {{"ZYLO_CALENDARS", "/fm/calendars"}, {"ZYLO_STORE_INDEX", "index"}};
  EXPECT_EQ(reason(), "ZYLO_STORE_INDEX must be an absolute path, not \"index\".");
  env.variables = {{"ZYLO_CONFIG", "zylo.conf"}};
  EXPECT_EQ(reason(), "ZYLO_CONFIG must be an absolute path, not \"zylo.conf\".");
  // A file named on purpose must be there.
  env.variables = {{"ZYLO_CONFIG", "/opt/zylo.conf"}};
  EXPECT_EQ(reason(), "The configuration file /opt/zylo.conf cannot be read: No such file or directory.");
}

TEST(StoreFolders, TheExampleConfigurationIsValid) {
  FakeStoreEnvironment env;
  std::ostringstream text;
  text << std::ifstream(ZYLO_EXAMPLE_CONFIG).rdbuf();
  env.files["/etc/zylo/zylo.conf"] = text.str();
  EXPECT_EQ(calendarsOf(env), "/srv/zylo/calendars");
  EXPECT_EQ(indexOf(env), "/var/cache/zylo");
}

// A temp folder as the working directory, to show that nothing lands there.
class OpenStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zylo-folders-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "cwd");
    was_ = fs::current_path();
    fs::current_path(dir_ / "cwd");
  }
  void TearDown() override {
    fs::current_path(was_);
    fs::remove_all(dir_);
  }
  bool workingDirectoryIsEmpty() const { return fs::is_empty(dir_ / "cwd"); }

  fs::path dir_, was_;
};

TEST_F(OpenStoreTest, AMissingFolderIsMadeOnlyBelowOneThatExists) {
  StoreFolders configured{{dir_ / "srv" / "calendars", dir_ / "srv"}, std::nullopt, "Set it."};
  EXPECT_EQ(reasonOf([&] { openStore(configured); }),
            "The calendar folder " + configured.calendars.path.string() + " does not exist, nor does " +
                (dir_ / "srv").string() + " to make it in. Set it.");
  EXPECT_FALSE(fs::exists(dir_ / "srv"));
  fs::create_directory(dir_ / "srv");
  EXPECT_TRUE(openStore(configured)->calendars().empty());
  EXPECT_TRUE(fs::is_directory(configured.calendars.path));

  // A default folder: what is missing below the home is made.
  FakeStoreEnvironment env;
  env.home = (dir_ / "home").string();
  EXPECT_NE(reasonOf([&] { openStore(storeFolders(env)); }), "");
  EXPECT_FALSE(fs::exists(dir_ / "home"));
  fs::create_directory(dir_ / "home");
  openStore(storeFolders(env));
  EXPECT_TRUE(fs::is_directory(dir_ / "home/.local/share/zylo/calendars"));
  EXPECT_TRUE(workingDirectoryIsEmpty());
}

TEST_F(OpenStoreTest, TheSystemReadsFilesOrSaysWhyNot) {
  std::ofstream(dir_ / "zylo.conf") << "calendars = /srv/calendars\n";
  std::error_code error;
  EXPECT_EQ(systemStoreEnvironment()->readFile(dir_ / "zylo.conf", error), "calendars = /srv/calendars\n");
  EXPECT_FALSE(error);
  EXPECT_EQ(systemStoreEnvironment()->readFile(dir_ / "missing.conf", error), std::nullopt);
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  EXPECT_EQ(systemStoreEnvironment()->readFile(dir_, error), std::nullopt);
  EXPECT_EQ(error, std::errc::is_a_directory);
}

TEST_F(OpenStoreTest, NothingLandsInTheWorkingDirectory) {
  FakeStoreEnvironment env;
  EXPECT_NE(reasonOf([&] { openStore(storeFolders(env)); }), "");
  VdirCalendarStore relative("calendars", foundation::fixedOffsetZone(0), foundation::fixedClock({}));
  EXPECT_EQ(reasonOf([&] { relative.calendars(); }), "The calendar folder calendars is not an absolute path.");
  EXPECT_TRUE(workingDirectoryIsEmpty());
}

}  // namespace
}  // namespace calendarstore::testing
