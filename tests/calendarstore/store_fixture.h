// A vdir store in a temp folder of its own, with a fixed clock and zone,
// and helpers to write item files by hand as other programs would.
#ifndef ZYLO_TESTS_CALENDARSTORE_STORE_FIXTURE_H_
#define ZYLO_TESTS_CALENDARSTORE_STORE_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/calendarstore/vdir_calendar_store.h"

namespace calendarstore::testing {

// 2026-06-15 12:00 UTC, a Monday.
foundation::Date testNow();
// A UTC instant from its fields.
foundation::Date utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes (or replaces) a store over the root, as a new process would; the
  // zone defaults to Berlin.
  VdirCalendarStore& store(std::shared_ptr<FileSystem> files = systemFileSystem());
  // Writes a calendar folder with a display name.
  void makeCalendar(const std::string& folder, const std::string& title = "");
  // Writes an item file; `body` is what goes between BEGIN:VCALENDAR and
  // END:VCALENDAR, with \n line ends turned into CRLF.
  void writeItem(const std::string& folder, const std::string& file, const std::string& body);
  std::string readFile(const std::filesystem::path& relative) const;
  std::shared_ptr<zylo::CalCalendar> calendar(const std::string& folder);
  zylo::CalendarStore::EventList events(foundation::Date from, foundation::Date to);
  // Names in a calendar folder, hidden ones too, but not the lock file
  // every writer shares.
  std::vector<std::string> filesIn(const std::string& folder) const;

  std::filesystem::path root_;
  std::filesystem::path indexFolder_;  // beside the root, used unless the suite runs without an index
  ZonePtr zone_;
  std::unique_ptr<VdirCalendarStore> store_;
};

}  // namespace calendarstore::testing

#endif  // ZYLO_TESTS_CALENDARSTORE_STORE_FIXTURE_H_
