// Texts, times, zones and addresses in the forms other calendar programs
// expect in an item file, and back as the host expects them.
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

using foundation::Date;
using zylo::CalSpan;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class FileFormsTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Cal");
  }
  std::shared_ptr<zylo::CalEvent> saved(Date start, Date end, zylo::CalRecurrenceRule::Ptr rule = nullptr) {
    auto e = zylo::CalEvent::event();
    e->setCalendar(calendar("cal"));
    e->setTitle(u"Planning");
    e->setStartDate(start);
    e->setEndDate(end);
    e->setRecurrenceRule(std::move(rule));
    ok_ = store_->saveEvent(*e, CalSpan::kAllEvents, error_);
    return e;
  }
  std::string fileOf(const zylo::CalCalendarItem& item) { return readFile(item.storeFile()); }
  // The store's reading of the event, from a store made afresh.
  std::shared_ptr<zylo::CalEvent> reread(const zylo::CalEvent& e) {
    store();
    return store_->eventWithUID(e.uid(), std::nullopt);
  }
  Date berlin(int y, int m, int d, int h) {
    return zone_->dateFromLocal({y, m, d, h, 0, 0});
  }

  bool ok_ = false;
  zylo::StoreError error_;
};

TEST_F(FileFormsTest, HostLineBreaksAreTheFilesLineBreaksAndControlCharactersAreNotWritten) {
  store();
  auto e = zylo::CalEvent::event();
  e->setCalendar(calendar("cal"));
  e->setStartDate(utc(2026, 6, 20, 8));
  e->setTitle(u"a\rb");
  e->setNotes(u"one\r\ntwo\nthree\u0001\u001B end\ttab\u007F");
  // Long enough to be folded, with characters of two octets each.
  const foundation::String location = u"Room\r4 " + foundation::String(80, u'\u00FC');
  e->setLocation(location);
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_));
  const std::string file = fileOf(*e);
  EXPECT_TRUE(contains(file, "SUMMARY:a\\nb\r\n")) << file;
  EXPECT_TRUE(contains(file, "DESCRIPTION:one\\ntwo\\nthree end\ttab\r\n")) << file;
  auto back = reread(*e);
  EXPECT_EQ(back->title(), u"a\rb");
  EXPECT_EQ(back->notes(), u"one\rtwo\rthree end\ttab");
  EXPECT_EQ(back->location(), location);
}

TEST_F(FileFormsTest, EveryYearTheHostHoldsIsWrittenAndReadBack) {
  store();
  for (int year : {1, 1000, 1893, 2582, 2583, 3001, 4000}) {
    auto e = saved(berlin(year, 7, 1, 10), berlin(year, 7, 1, 11));
    ASSERT_TRUE(ok_) << year << ": " << foundation::toUtf8(error_.localizedFailureReason.value_or(u""));
    char start[64];
    std::snprintf(start, sizeof start, "DTSTART;TZID=Europe/Berlin:%04d0701T100000\r\n", year);
    EXPECT_TRUE(contains(fileOf(*e), start)) << fileOf(*e);
    auto back = reread(*e);
    ASSERT_NE(back, nullptr) << year;
    EXPECT_EQ(back->startDate(), berlin(year, 7, 1, 10)) << year;
    EXPECT_EQ(back->endDate(), berlin(year, 7, 1, 11)) << year;
    EXPECT_EQ(events(berlin(year, 7, 1, 0), berlin(year, 7, 2, 0))->size(), 1u) << year;
  }
  auto task = zylo::CalTask::task();
  task->setCalendar(calendar("cal"));
  task->setTitle(u"Far");
  task->setDueDate(berlin(3500, 1, 2, 9));
  ASSERT_TRUE(store_->saveTask(*task, error_));
  EXPECT_TRUE(contains(fileOf(*task), "DUE;TZID=Europe/Berlin:35000102T090000\r\n"));
  store();
  EXPECT_EQ(store_->taskWithUID(task->uid())->dueDate(), berlin(3500, 1, 2, 9));
}

TEST_F(FileFormsTest, ASeriesStartingAfterTheLastRuleYearIsRefusedBeforeAnythingIsWritten) {
  store();
  auto weekly = [] {
    return zylo::CalRecurrenceRule::initWeeklyRecurrenceWithInterval(1, nullptr);
  };
  saved(berlin(2600, 7, 1, 10), berlin(2600, 7, 1, 11), weekly());
  EXPECT_FALSE(ok_);
  EXPECT_EQ(error_.localizedFailureReason, u"A repeating event can start no later than the year 2582.");
  EXPECT_EQ(filesIn("cal"), std::vector<std::string>{"displayname"});

  auto e = saved(berlin(2026, 7, 1, 10), berlin(2026, 7, 1, 11), weekly());
  ASSERT_TRUE(ok_);
  const std::string before = fileOf(*e);
  e->setStartDate(berlin(2600, 7, 1, 10));
  e->setEndDate(berlin(2600, 7, 1, 11));
  EXPECT_FALSE(store_->saveEvent(*e, CalSpan::kAllEvents, error_));
  EXPECT_EQ(fileOf(*e), before);
}

TEST_F(FileFormsTest, UtcIsWrittenAsUtc) {
  for (const char* name : {"UTC", "GMT", "Etc/UTC", "Etc/GMT"}) {
    zone_ = foundation::namedZone(name);
    ASSERT_NE(zone_, nullptr) << name;
    store();
    auto e = saved(utc(2026, 6, 20, 8), utc(2026, 6, 20, 9));
    ASSERT_TRUE(ok_);
    const std::string file = fileOf(*e);
    EXPECT_TRUE(contains(file, "DTSTART:20260620T080000Z\r\n")) << name << "\n" << file;
    EXPECT_FALSE(contains(file, "TZID")) << name << "\n" << file;
  }
}

TEST_F(FileFormsTest, AZoneIsWrittenFromTheFilesFirstTimeOn) {
  zone_ = foundation::namedZone("Europe/London");
  store();
  auto e = saved(utc(2026, 6, 20, 8), utc(2026, 6, 20, 9));
  ASSERT_TRUE(ok_);
  std::string file = fileOf(*e);
  EXPECT_TRUE(contains(file, "TZID:Europe/London\r\n"));
  EXPECT_LT(file.size(), 1800u) << file;
  EXPECT_FALSE(contains(file, "DTSTART:19")) << file;  // no observance of the last century

  // Moved back, the block reaches back with it.
  e->setStartDate(utc(1990, 1, 10, 8));
  e->setEndDate(utc(1990, 1, 10, 9));
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_));
  file = fileOf(*e);
  EXPECT_TRUE(contains(file, "DTSTART:19900109")) << file;
  EXPECT_EQ(reread(*e)->startDate(), utc(1990, 1, 10, 8));
}

TEST_F(FileFormsTest, AZoneBlockThatReachesBackIsKeptAsWritten) {
  writeItem("cal", "k.ics",
            "BEGIN:VTIMEZONE\nTZID:Europe/Berlin\nBEGIN:STANDARD\nDTSTART:19701025T030000\n"
            "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\nTZOFFSETFROM:+0200\nTZOFFSETTO:+0100\nEND:STANDARD\n"
            "BEGIN:DAYLIGHT\nDTSTART:19700329T020000\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\n"
            "TZOFFSETFROM:+0100\nTZOFFSETTO:+0200\nEND:DAYLIGHT\nEND:VTIMEZONE\n"
            "BEGIN:VEVENT\nUID:k\nDTSTAMP:20260101T000000Z\nDTSTART;TZID=Europe/Berlin:20260620T100000\n"
            "SUMMARY:Old\nEND:VEVENT\n");
  const std::string before = readFile("cal/k.ics");
  store();
  auto e = store_->eventWithUID(u"k", std::nullopt);
  e->setTitle(u"New");
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_));
  const std::string after = readFile("cal/k.ics");
  EXPECT_TRUE(contains(after, before.substr(before.find("BEGIN:VTIMEZONE"),
                                            before.find("END:VTIMEZONE") - before.find("BEGIN:VTIMEZONE"))))
      << after;
}

TEST_F(FileFormsTest, BothPartsOfASplitSeriesKeepWhatTheEditDidNotChange) {
  writeItem("cal", "s.ics",
            "BEGIN:VEVENT\nUID:s\nDTSTAMP:20260101T000000Z\nDTSTART:20260601T080000Z\n"
            "DTEND:20260601T090000Z\nRRULE:FREQ=DAILY;COUNT=5\nSUMMARY:Old\nCATEGORIES:a\\,b,c\nEND:VEVENT\n");
  store();
  auto third = store_->eventWithUID(u"s", utc(2026, 6, 3, 8));
  ASSERT_NE(third, nullptr);
  third->setTitle(u"New");
  ASSERT_TRUE(store_->saveEvent(*third, CalSpan::kFutureEvents, error_));
  ASSERT_NE(third->uid(), u"s");
  for (const std::string& file : {readFile("cal/s.ics"), fileOf(*third)}) {
    EXPECT_TRUE(contains(file, "\r\nCATEGORIES:a\\,b,c\r\n")) << file;
  }
  EXPECT_TRUE(contains(fileOf(*third), "SUMMARY:New\r\n"));
  EXPECT_TRUE(contains(readFile("cal/s.ics"), "SUMMARY:Old\r\n"));
}

TEST_F(FileFormsTest, AnAddressOutsideAsciiIsAUrl) {
  writeItem("cal", "u.ics",
            "BEGIN:VEVENT\nUID:u\nDTSTAMP:20260101T000000Z\nDTSTART:20260620T080000Z\n"
            "URL:https://de.wikipedia.org/wiki/Stra\xC3\x9F" "e\nEND:VEVENT\n");
  store();
  auto e = store_->eventWithUID(u"u", std::nullopt);
  ASSERT_TRUE(e->url());
  EXPECT_EQ(e->url()->absoluteString(), u"https://de.wikipedia.org/wiki/Stra\u00DFe");
  e->setUrl(foundation::Url::withString(u"https://b\u00FCcher.example/\u4F1A"));
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_));
  EXPECT_TRUE(contains(readFile("cal/u.ics"), "URL:https://b\xC3\xBC" "cher.example/\xE4\xBC\x9A\r\n"));
  EXPECT_EQ(reread(*e)->url()->absoluteString(), u"https://b\u00FCcher.example/\u4F1A");
}

}  // namespace
}  // namespace calendarstore::testing
