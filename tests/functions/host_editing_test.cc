// The built zylo-host creating an event in one process that the next one,
// and khal when it is installed, find in the files; and storing the same
// instants whatever the real clock's season (faketime).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/functions/sample_calendars.h"
#include "tests/index_folder.h"

namespace zylo::testing {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The output of a shell command, with its exit status checked.
std::string output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << command << "\n" << out;
  return out;
}

const std::string kJune20 = "Date ( 6 ; 20 ; 2026 )";

class HostEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zylo-host-editing-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    writeSampleCalendars(dir_ / "calendars");
    zylo::testing::useIndexFolderInChildren(dir_ / "index");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // One result per line, all calculations in one process, which runs with
  // the environment and command prefix `prefix`.
  std::string eval(const std::vector<std::string>& calculations,
                   const std::string& prefix = "TZ=Europe/Berlin") {
    std::string command = "ZYLO_OS_VERSION=10.8 " + prefix + " " + std::string(ZYLO_HOST_EXE) +
                          " --calendars " + quoted((dir_ / "calendars").string()) + " eval";
    for (const std::string& c : calculations) command += " " + quoted(c);
    return output(command);
  }

  fs::path dir_;
};

TEST_F(HostEditingTest, AnEventSavedInOneRunIsFoundByTheNext) {
  EXPECT_EQ(eval({"Zylo_NewItem ( \"event\" )",
                  "Zylo_SetProperty ( \"event\" ; \"calendartitle\" ; \"Home\" )",
                  "Zylo_SetProperty ( \"event\" ; \"title\" ; \"Call grandma\" )",
                  "Zylo_SetProperty ( \"event\" ; \"startdate\" ; Timestamp ( " + kJune20 +
                      " ; Time ( 18 ; 0 ; 0 ) ) )",
                  "Zylo_SetProperty ( \"event\" ; \"enddate\" ; Timestamp ( " + kJune20 +
                      " ; Time ( 18 ; 30 ; 0 ) ) )",
                  "Zylo_SaveItem ( \"event\" )"}),
            "0\n0\n0\n0\n0\n0\n");
  EXPECT_EQ(eval({"Zylo_EventsFetch ( Timestamp ( " + kJune20 + " ; 0 ) ; Timestamp ( " +
                      kJune20 + " + 1 ; 0 ) ; \"Home\" ; \"\" )",
                  "Zylo_GetItemCountForType ( \"event\" )", "Zylo_OpenItemAt ( \"event\" ; 1 )",
                  "Zylo_GetProperty ( \"event\" ; \"title\" )",
                  "Zylo_GetProperty ( \"event\" ; \"enddate\" )"}),
            "0\n1\n0\nCall grandma\n2026-06-20 18:30:00\n");

  if (std::system("command -v khal >/dev/null 2>&1") != 0) GTEST_SKIP() << "khal not installed";
  std::ofstream(dir_ / "khal.conf")
      << "[calendars]\n[[home]]\npath = " << (dir_ / "calendars" / "home").string()
      << "\n[locale]\nlocal_timezone = Europe/Berlin\ndefault_timezone = Europe/Berlin\n"
         "timeformat = %H:%M\ndateformat = %Y-%m-%d\nlongdateformat = %Y-%m-%d\n"
         "datetimeformat = %Y-%m-%d %H:%M\nlongdatetimeformat = %Y-%m-%d %H:%M\n"
         "[sqlite]\npath = "
      << (dir_ / "khal.db").string() << "\n";
  const std::string home = quoted(dir_.string());
  const std::string listed =
      output("HOME=" + home + " XDG_CONFIG_HOME=" + home + " XDG_DATA_HOME=" + home +
             " khal -c " + quoted((dir_ / "khal.conf").string()) +
             " list --format '{start} {end} {title}' 2026-06-20 1d 2>&1");
  EXPECT_NE(listed.find("2026-06-20 18:00 2026-06-20 18:30 Call grandma"), std::string::npos)
      << listed;
}

TEST_F(HostEditingTest, TheSeasonOfARunDoesNotMoveTheTimesItStores) {
  if (std::system("command -v faketime >/dev/null 2>&1") != 0) GTEST_SKIP() << "faketime not installed";
  const std::string day = "Date ( 3 ; 26 ; 2028 )";
  for (const char* now : {"2027-01-15 12:00:00", "2027-07-15 12:00:00"}) {
    fs::remove_all(dir_);
    writeSampleCalendars(dir_ / "calendars");
    // 02:30 on that day falls in Berlin's spring gap.
    eval({"Zylo_NewItem ( \"event\" )", "Zylo_SetProperty ( \"event\" ; \"calendartitle\" ; \"Home\" )",
          "Zylo_SetProperty ( \"event\" ; \"startdate\" ; Timestamp ( " + day + " ; Time ( 2 ; 30 ; 0 ) ) )",
          "Zylo_SetProperty ( \"event\" ; \"enddate\" ; Timestamp ( " + day + " ; Time ( 4 ; 0 ; 0 ) ) )",
          "Zylo_SaveItem ( \"event\" )"},
         // faketime preloads its library ahead of a sanitizer's runtime.
         "ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" TZ=Europe/Berlin faketime " + quoted(now));
    EXPECT_EQ(eval({"Zylo_EventsFetch ( Timestamp ( " + day + " ; 0 ) ; Timestamp ( " + day +
                        " + 1 ; 0 ) ; \"Home\" ; \"\" )",
                    "Zylo_OpenItemAt ( \"event\" ; 1 )", "Zylo_GetProperty ( \"event\" ; \"startdate\" )"},
                   "TZ=UTC"),
              "0\n0\n2028-03-26 01:30:00\n")
        << "run at " << now;
  }
}

}  // namespace
}  // namespace zylo::testing
