// The vdir layout: which folders are calendars, what describes them, which
// files are items, and that the next call sees what changed on disk.
#include <unistd.h>

#include <fstream>

#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

const char kEvent[] =
    "BEGIN:VEVENT\nUID:e1\nDTSTAMP:20260601T000000Z\nDTSTART:20260615T100000Z\n"
    "DTEND:20260615T110000Z\nSUMMARY:One\nEND:VEVENT\n";

TEST_F(StoreTest, CalendarsInByteOrderWithTheirDescriptions) {
  makeCalendar("work", "Work");
  makeCalendar("Zeta");
  makeCalendar(".hidden", "Hidden");
  std::ofstream(root_ / "work" / "color") << "#FF8000\n";
  std::ofstream(root_ / "work" / "description") << "Meetings\nand deadlines\n";
  std::ofstream(root_ / "not-a-folder.ics") << "x";
  auto calendars = store().calendars();
  ASSERT_EQ(calendars.size(), 2u);
  EXPECT_EQ(calendars[0]->uid(), u"Zeta");
  EXPECT_EQ(calendars[0]->title(), u"Zeta");
  EXPECT_FALSE(calendars[0]->color());
  EXPECT_EQ(calendars[1]->uid(), u"work");
  EXPECT_EQ(calendars[1]->title(), u"Work");
  EXPECT_EQ(calendars[1]->type(), u"Local");
  EXPECT_EQ(calendars[1]->notes(), u"Meetings\nand deadlines");
  ASSERT_TRUE(calendars[1]->color());
  EXPECT_EQ(calendars[1]->color()->toHex(), "#FF8000");
  EXPECT_TRUE(calendars[1]->isEditable());
}

TEST_F(StoreTest, MissingRootStartsEmptyAndAFileRootFails) {
  std::filesystem::remove_all(root_);
  EXPECT_TRUE(store().calendars().empty());
  EXPECT_TRUE(std::filesystem::is_directory(root_));
  std::filesystem::remove_all(root_);
  std::ofstream(root_) << "not a folder";
  EXPECT_THROW(store().calendars(), zylo::CalendarStoreException);
  std::filesystem::remove(root_);
  std::filesystem::create_directories(root_);
}

TEST_F(StoreTest, OnlyTheRootItselfIsMade) {
  const std::filesystem::path deeper = root_ / "missing" / "calendars";
  VdirCalendarStore store(deeper, zone_, foundation::fixedClock(testNow()));
  EXPECT_THROW(store.calendars(), zylo::CalendarStoreException);
  EXPECT_FALSE(std::filesystem::exists(root_ / "missing"));
}

TEST_F(StoreTest, FilesThatAreNotItemsAreSkippedWithAReason) {
  makeCalendar("home");
  writeItem("home", "good.ics", kEvent);
  std::ofstream(root_ / "home" / "empty.ics");
  std::ofstream(root_ / "home" / "garbage.ics") << "this is not a calendar";
  writeItem("home", "two-uids.ics",
            "BEGIN:VEVENT\nUID:a\nDTSTART:20260615T100000Z\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:b\nDTSTART:20260615T100000Z\nEND:VEVENT\n");
  writeItem("home", "no-start.ics", "BEGIN:VEVENT\nUID:c\nSUMMARY:x\nEND:VEVENT\n");
  writeItem("home", ".hidden.ics", kEvent);
  writeItem("home", "notes.txt", kEvent);
  std::filesystem::create_symlink("/etc/hostname", root_ / "home" / "link.ics");
  store();
  EXPECT_EQ(events(utc(2026, 6, 1), utc(2026, 7, 1))->size(), 1u);
  auto problems = store_->unreadableFiles();
  std::map<std::string, std::string> byName;
  for (const auto& [path, reason] : problems) byName[path.filename().string()] = reason;
  EXPECT_EQ(byName.size(), 5u);
  EXPECT_EQ(byName["two-uids.ics"], "the file holds items with different UIDs");
  EXPECT_EQ(byName["link.ics"], "the file is a symbolic link");
  EXPECT_TRUE(byName.contains("empty.ics"));
  EXPECT_TRUE(byName.contains("garbage.ics"));
  EXPECT_TRUE(byName.contains("no-start.ics"));
  // Skipped files are left exactly as they were.
  EXPECT_EQ(readFile("home/garbage.ics"), "this is not a calendar");
}

TEST_F(StoreTest, NextCallSeesChangesMadeByOthers) {
  makeCalendar("home", "Home");
  store();
  EXPECT_TRUE(events(utc(2026, 6, 1), utc(2026, 7, 1))->empty());
  writeItem("home", "e1.ics", kEvent);
  auto list = events(utc(2026, 6, 1), utc(2026, 7, 1));
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ((*list)[0]->title(), u"One");
  std::string changed = kEvent;
  changed.replace(changed.find("One"), 3, "Two");
  writeItem("home", "e1.ics", changed);
  EXPECT_EQ((*events(utc(2026, 6, 1), utc(2026, 7, 1)))[0]->title(), u"Two");
  std::ofstream(root_ / "home" / "displayname") << "Renamed\n";
  EXPECT_EQ(calendar("home")->title(), u"Renamed");
  std::filesystem::remove(root_ / "home" / "e1.ics");
  EXPECT_TRUE(events(utc(2026, 6, 1), utc(2026, 7, 1))->empty());
  makeCalendar("later");
  EXPECT_EQ(store_->calendars().size(), 2u);
  std::filesystem::remove_all(root_ / "later");
  EXPECT_EQ(store_->calendars().size(), 1u);
}

TEST_F(StoreTest, RepeatedQueryIsAnsweredFromTheCacheUntilSomethingChanges) {
  makeCalendar("home");
  writeItem("home", "e1.ics", kEvent);
  store();
  auto first = events(utc(2026, 6, 1), utc(2026, 7, 1));
  EXPECT_EQ(events(utc(2026, 6, 1), utc(2026, 7, 1)), first);
  writeItem("home", "e2.ics", "BEGIN:VEVENT\nUID:e2\nDTSTART:20260616T100000Z\nEND:VEVENT\n");
  auto second = events(utc(2026, 6, 1), utc(2026, 7, 1));
  EXPECT_NE(second, first);
  EXPECT_EQ(second->size(), 2u);
}

TEST_F(StoreTest, ReadOnlyCalendarIsNotEditable) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  makeCalendar("locked");
  std::filesystem::permissions(root_ / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(store().calendarWithUID(u"locked")->isEditable());
  std::filesystem::permissions(root_ / "locked", std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace calendarstore::testing
