// The built zylo-host, with the built plug-in, walking the sample calendars
// the way a FileMaker script does.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/functions/sample_calendars.h"
#include "tests/index_folder.h"

namespace zylo::testing {
namespace {

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string june(int day, int hour = 0) {
  return "Timestamp ( Date ( 6 ; " + std::to_string(day) + " ; 2026 ) ; Time ( " +
         std::to_string(hour) + " ; 0 ; 0 ) )";
}

class HostRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("zylo-host-run-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    writeSampleCalendars(dir_);
    zylo::testing::useIndexFolderInChildren(dir_.string() + ".index");
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    std::filesystem::remove_all(dir_.string() + ".index");
  }

  // One JSON line per calculation, evaluated in one process.
  std::vector<std::string> eval(const std::vector<std::string>& calculations) {
    std::string command = "ZYLO_OS_VERSION=10.8 TZ=Europe/Berlin " + std::string(ZYLO_HOST_EXE) +
                          " --json --calendars " + quoted(dir_.string()) + " eval";
    for (const std::string& c : calculations) command += " " + quoted(c);
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    for (size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(out.substr(start, end - start));
    return lines;
  }

  std::filesystem::path dir_;
};

std::string number(int n) {
  return "{\"type\":\"number\",\"value\":\"" + std::to_string(n) + "\"}";
}
std::string text(const std::string& s) { return "{\"type\":\"text\",\"value\":\"" + s + "\"}"; }
std::string timestamp(const std::string& s) {
  return "{\"type\":\"timestamp\",\"value\":\"" + s + "\"}";
}
std::string date(const std::string& s) { return "{\"type\":\"date\",\"value\":\"" + s + "\"}"; }

TEST_F(HostRunTest, AMonthOfTwoCalendarsWalkedByPosition) {
  std::vector<std::string> calculations = {
      "Zylo_EventsFetch ( " + june(1) + " ; " + june(30, 23) + " ; \"Home¶Work\" ; \"\" )",
      "Zylo_GetItemCountForType ( \"event\" )"};
  for (int i = 1; i <= 7; ++i) {
    calculations.push_back("Zylo_OpenItemAt ( \"event\" ; " + std::to_string(i) + " )");
    calculations.push_back("Zylo_GetProperty ( \"event\" ; \"title\" )");
    calculations.push_back("Zylo_GetProperty ( \"event\" ; \"startdate\" )");
    calculations.push_back("Zylo_GetProperty ( \"event\" ; \"enddate\" )");
  }
  calculations.push_back("Zylo_OpenItemAt ( \"event\" ; 8 )");
  calculations.push_back("Zylo_GetLastError");

  std::vector<std::string> expected = {number(0), number(7)};
  auto walked = [&](const std::string& title, const std::string& start, const std::string& end) {
    for (const std::string& line : {number(0), text(title), timestamp(start), timestamp(end)})
      expected.push_back(line);
  };
  walked("Stand-up", "2026-06-01 09:30:00", "2026-06-01 10:00:00");
  walked("Design review", "2026-06-03 14:00:00", "2026-06-03 15:00:00");
  walked("Stand-up", "2026-06-08 09:30:00", "2026-06-08 10:00:00");
  walked("Garden party", "2026-06-13 00:00:00", "2026-06-14 00:00:00");
  walked("Stand-up", "2026-06-15 09:30:00", "2026-06-15 10:00:00");
  walked("Stand-up", "2026-06-22 09:30:00", "2026-06-22 10:00:00");
  walked("Stand-up", "2026-06-29 09:30:00", "2026-06-29 10:00:00");
  expected.push_back(text("!!ERROR!!"));
  expected.push_back(text("Item index out of bounds."));
  EXPECT_EQ(eval(calculations), expected);
}

TEST_F(HostRunTest, AnOccurrenceReadBackReopensTheSameOccurrence) {
  EXPECT_EQ(
      eval({"Zylo_EventsFetch ( " + june(15) + " ; " + june(16) + " ; \"Work\" ; \"\" )",
            "Zylo_OpenItemAt ( \"event\" ; 1 )", "Zylo_GetProperty ( \"event\" ; \"occurrence\" )",
            "Zylo_OpenItemWithUID ( \"event\" ; Zylo_GetProperty ( \"event\" ; \"uid\" ) ; "
            "Zylo_GetProperty ( \"event\" ; \"occurrence\" ) )",
            "Zylo_GetProperty ( \"event\" ; \"startdate\" )",
            "Zylo_GetProperty ( \"event\" ; \"isrecurring\" )"}),
      (std::vector<std::string>{number(0), number(0), timestamp("2026-06-15 09:30:00"), number(0),
                                timestamp("2026-06-15 09:30:00"), text("True")}));
}

TEST_F(HostRunTest, TasksAndAttendees) {
  EXPECT_EQ(
      eval({"Zylo_TasksFetch ( \"Work\" ; \"incomplete\" ; \"\" )",
            "Zylo_GetItemCountForType ( \"task\" )", "Zylo_OpenItemAt ( \"task\" ; 1 )",
            "Zylo_GetProperty ( \"task\" ; \"duedate\" )",
            "Zylo_GetProperty ( \"task\" ; \"priority\" )",
            "Zylo_OpenItemWithUID ( \"event\" ; \"review\" )",
            "Zylo_GetItemCountForType ( \"attendee\" )", "Zylo_OpenItemAt ( \"attendee\" ; 1 )",
            "Zylo_GetProperty ( \"attendee\" ; \"commonname\" )",
            "Zylo_OpenItemAt ( \"attendee\" ; 2 )",
            "Zylo_GetProperty ( \"attendee\" ; \"address\" )",
            "Zylo_CalOpenCalendarWithTitle ( \"Home\" )",
            "Zylo_GetProperty ( \"calendar\" ; \"color\" )"}),
      (std::vector<std::string>{number(0), number(1), number(0), date("2026-06-19"), text("high"),
                                number(0), number(2), number(0), text("Ann"), number(0),
                                text("mailto:bob@example.org"), number(0), text("45 164 78")}));
}

}  // namespace
}  // namespace zylo::testing
