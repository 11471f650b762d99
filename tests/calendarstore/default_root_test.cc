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

// "calendar folder | index folder".
std::string foldersOf(const FakeStoreEnvironment& env) {
  StoreFolders folders = storeFolders(env);
  return folders.calendars.path.string() + " | " + (folders.index ? folders.index->path.string() : "none");
}

TEST(StoreFolders, EachPlaceWinsOverTheOnesAfterIt) {
  FakeStoreEnvironment env;
  env.home = "/home/fm";
  env.variables = {{"HOME", "relative"}, {"XDG_DATA_HOME", "data"}};
  EXPECT_EQ(foldersOf(env), "/home/fm/.local/share/zylo/calendars | /home/fm/.cache/zylo");
  env.variables["HOME"] = "/var/fmserver";
  EXPECT_EQ(foldersOf(env), "/var/fmserver/.local/share/zylo/calendars | /var/fmserver/.cache/zylo");
  env.variables = {{"XDG_DATA_HOME", "/data"}, {"XDG_CACHE_HOME", "/cache"}};
  EXPECT_EQ(foldersOf(env), "/data/zylo/calendars | /cache/zylo");
  EXPECT_EQ(storeFolders(env).calendars.madeBelow, "/data");
  env.files["/etc/zylo/zylo.conf"] = "calendars = /srv/calendars/\nindex = off\n";
  EXPECT_EQ(foldersOf(env), "/srv/calendars | none");
  EXPECT_EQ(storeFolders(env).calendars.madeBelow, "/srv");
  env.variables["ZYLO_CONFIG"] = "/opt/zylo.conf";
  env.files["/opt/zylo.conf"] = "calendars = /opt/calendars\nindex = /opt/index\n";
  EXPECT_EQ(foldersOf(env), "/opt/calendars | /opt/index");
  env.variables["ZYLO_CALENDARS"] = "/fm/calendars";
  env.variables["ZYLO_STORE_INDEX"] = "off";
  EXPECT_EQ(foldersOf(env), "/fm/calendars | none");
}

TEST(StoreFolders, ErrorsSayWhatToSet) {
  FakeStoreEnvironment env;
  const auto reason = [&] { return reasonOf([&] { storeFolders(env); }); };
  EXPECT_EQ(reason(), "No calendar folder is set: set ZYLO_CALENDARS or `calendars` in /etc/zylo/zylo.conf.");
  env.files["/etc/zylo/zylo.conf"] = "# folders\ncalendars = calendars\n";
  EXPECT_EQ(reason(), "/etc/zylo/zylo.conf:2: `calendars` must be an absolute path, not \"calendars\".");
  env.files.clear();
  env.unreadable["/etc/zylo/zylo.conf"] = std::errc::permission_denied;
  EXPECT_EQ(reason(), "The configuration file /etc/zylo/zylo.conf cannot be read: Permission denied.");
  // The file is not read while the variables say everything.
  env.variables = {{"ZYLO_CALENDARS", "/fm/calendars"}, {"ZYLO_STORE_INDEX", "off"}};
  EXPECT_EQ(foldersOf(env), "/fm/calendars | none");
  // Without a home there is no index: it only saves work.
  env.unreadable.clear();
  env.variables.erase("ZYLO_STORE_INDEX");
  EXPECT_EQ(foldersOf(env), "/fm/calendars | none");
  env.variables["ZYLO_STORE_INDEX"] = "index";
  EXPECT_EQ(reason(), "ZYLO_STORE_INDEX must be an absolute path, not \"index\".");
  env.variables = {{"ZYLO_CONFIG", "/opt/zylo.conf"}};
  EXPECT_EQ(reason(), "The configuration file /opt/zylo.conf cannot be read: No such file or directory.");
}

TEST(StoreFolders, TheExampleConfigurationIsValid) {
  FakeStoreEnvironment env;
  std::ostringstream text;
  text << std::ifstream(ZYLO_EXAMPLE_CONFIG).rdbuf();
  env.files["/etc/zylo/zylo.conf"] = text.str();
  EXPECT_EQ(foldersOf(env), "/srv/zylo/calendars | /var/cache/zylo");
}

// A configured folder is made below its parent (the plug-in's tests show
// it); a default one below the home, with the folders between.
TEST(OpenStore, ADefaultFolderIsMadeOnlyBelowAHomeThatExists) {
  const fs::path dir = fs::temp_directory_path() / ("zylo-folders-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directory(dir);
  FakeStoreEnvironment env;
  env.home = (dir / "home").string();
  EXPECT_EQ(reasonOf([&] { openStore(storeFolders(env)); }),
            "The calendar folder " + env.home.value() + "/.local/share/zylo/calendars does not exist, nor does " +
                env.home.value() + " to make it in. Set ZYLO_CALENDARS or `calendars` in /etc/zylo/zylo.conf.");
  EXPECT_FALSE(fs::exists(dir / "home"));
  fs::create_directory(dir / "home");
  EXPECT_TRUE(openStore(storeFolders(env))->calendars().empty());
  EXPECT_TRUE(fs::is_directory(dir / "home/.local/share/zylo/calendars"));

  // Never in the working directory.
  const fs::path was = fs::current_path();
  fs::current_path(dir);
  VdirCalendarStore relative("calendars", foundation::fixedOffsetZone(0), foundation::fixedClock({}));
  EXPECT_EQ(reasonOf([&] { relative.calendars(); }), "The calendar folder calendars is not an absolute path.");
  EXPECT_FALSE(fs::exists(dir / "calendars"));
  fs::current_path(was);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace calendarstore::testing
