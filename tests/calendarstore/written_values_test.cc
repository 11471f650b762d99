// What a save writes and reads back: texts with their blanks, a repetition
// that ends on a date, a task due on a day, the date stamp, all-day dates in a zone that skipped
// a day, and a series left with no occurrence.
#include "tests/calendarstore/store_fixture.h"

#include <array>

namespace calendarstore::testing {
namespace {

using zylo::CalSpan;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class WrittenValuesTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Cal");
  }
  std::shared_ptr<zylo::CalEvent> newEvent(foundation::Date start, foundation::Date end, bool allDay = false) {
    auto e = zylo::CalEvent::event();
    e->setCalendar(calendar("cal"));
    e->setTitle(u"Planning");
    e->setStartDate(start);
    e->setEndDate(end);
    e->setIsAllDay(allDay);
    return e;
  }
  std::string fileOf(const zylo::CalCalendarItem& item) { return readFile(item.storeFile()); }
  foundation::Date local(int year, int month, int day, int hour = 0) const {
    return zone_->dateFromLocal({year, month, day, hour, 0, 0});
  }
  zylo::StoreError error_;
};

TEST_F(WrittenValuesTest, TextsKeepTheirBlanksReadAndWritten) {
  writeItem("cal", "b.ics",
            "BEGIN:VEVENT\nUID:b\nDTSTART:20260620T080000Z\nSUMMARY:  two before\\, two after  \n"
            "LOCATION:\\n room 4 \\n \nDESCRIPTION:\tnotes\\; end\t\nEND:VEVENT\n");
  store();
  auto e = store_->eventWithUID(u"b", std::nullopt);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->title(), u"  two before, two after  ");
  EXPECT_EQ(e->location(), u"\r room 4 \r ");
  EXPECT_EQ(e->notes(), u"\tnotes; end\t");
  // An edit of another text keeps these as the file held them.
  e->setNotes(u" new notes ");
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_));
  const std::string file = readFile("cal/b.ics");
  EXPECT_TRUE(contains(file, "\r\nSUMMARY:  two before\\, two after  \r\n")) << file;
  EXPECT_TRUE(contains(file, "\r\nLOCATION:\\n room 4 \\n \r\n")) << file;
  EXPECT_TRUE(contains(file, "\r\nDESCRIPTION: new notes \r\n")) << file;

  auto fresh = newEvent(utc(2026, 6, 21, 8), utc(2026, 6, 21, 9));
  fresh->setTitle(u" lead");
  fresh->setLocation(u"trail  ");
  ASSERT_TRUE(store_->saveEvent(*fresh, CalSpan::kThisEvent, error_));
  store();  // a new process reads what was written
  auto back = store_->eventWithUID(fresh->uid(), std::nullopt);
  EXPECT_EQ(back->title(), u" lead");
  EXPECT_EQ(back->location(), u"trail  ");
  EXPECT_EQ(store_->eventWithUID(u"b", std::nullopt)->notes(), u" new notes ");
}

TEST_F(WrittenValuesTest, ADateStampReadsAtOnceAfterTheFirstSave) {
  store();
  auto e = newEvent(utc(2026, 6, 20, 8), utc(2026, 6, 20, 9));
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kThisEvent, error_));
  EXPECT_EQ(e->dateStamp(), testNow());
  auto t = zylo::CalTask::task();
  t->setCalendar(calendar("cal"));
  t->setTitle(u"Task");
  ASSERT_TRUE(store_->saveTask(*t, error_));
  EXPECT_EQ(t->dateStamp(), testNow());
}

// The host hands a date as its midnight: the series runs through that day.
TEST_F(WrittenValuesTest, ARepetitionEndingOnADateKeepsThatDay) {
  store();
  const auto until = zylo::CalRecurrenceEnd::recurrenceEndWithEndDate(local(2026, 6, 25));
  auto timed = newEvent(local(2026, 6, 20, 10), local(2026, 6, 20, 11));
  timed->setRecurrenceRule(zylo::CalRecurrenceRule::initDailyRecurrenceWithInterval(1, until));
  ASSERT_TRUE(store_->saveEvent(*timed, CalSpan::kThisEvent, error_));
  EXPECT_TRUE(contains(fileOf(*timed), "RRULE:FREQ=DAILY;UNTIL=20260625T215959Z\r\n")) << fileOf(*timed);
  auto allDay = newEvent(local(2026, 6, 20), local(2026, 6, 21), true);
  allDay->setRecurrenceRule(zylo::CalRecurrenceRule::initDailyRecurrenceWithInterval(1, until));
  ASSERT_TRUE(store_->saveEvent(*allDay, CalSpan::kThisEvent, error_));
  EXPECT_TRUE(contains(fileOf(*allDay), "RRULE:FREQ=DAILY;UNTIL=20260625\r\n")) << fileOf(*allDay);

  store();
  for (const auto& uid : {timed->uid(), allDay->uid()}) {
    auto back = store_->eventWithUID(uid, std::nullopt);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->recurrenceRule()->recurrenceEnd()->endDate(), local(2026, 6, 25));
    const auto onLastDay = zylo::EventPredicate::eventPredicateWithStartDate(
        local(2026, 6, 25), local(2026, 6, 27), uid, store_->calendars());
    EXPECT_EQ(store_->eventsWithPredicate(*onLastDay)->size(), 1u);
  }
  // A time of day stays the instant it names.
  auto exact = newEvent(local(2026, 6, 20, 10), local(2026, 6, 20, 11));
  exact->setRecurrenceRule(zylo::CalRecurrenceRule::initDailyRecurrenceWithInterval(
      1, zylo::CalRecurrenceEnd::recurrenceEndWithEndDate(local(2026, 6, 25, 9))));
  ASSERT_TRUE(store_->saveEvent(*exact, CalSpan::kThisEvent, error_));
  EXPECT_TRUE(contains(fileOf(*exact), "UNTIL=20260625T070000Z\r\n")) << fileOf(*exact);
}

TEST_F(WrittenValuesTest, ADueDateGivenAsADayIsWrittenAsThatDay) {
  writeItem("cal", "started.ics", "BEGIN:VTODO\nUID:started\nDTSTART:20260601T080000Z\nSUMMARY:s\nEND:VTODO\n");
  store();
  auto day = zylo::CalTask::task();
  day->setCalendar(calendar("cal"));
  day->setDueDate(local(2026, 12, 24));
  ASSERT_TRUE(store_->saveTask(*day, error_));
  EXPECT_TRUE(contains(fileOf(*day), "\r\nDUE;VALUE=DATE:20261224\r\n")) << fileOf(*day);
  day->setDueDate(local(2026, 12, 24, 10));
  ASSERT_TRUE(store_->saveTask(*day, error_));
  EXPECT_TRUE(contains(fileOf(*day), "\r\nDUE;TZID=Europe/Berlin:20261224T100000\r\n")) << fileOf(*day);
  // A task that starts at a time is due at a time, even at midnight.
  auto started = std::make_shared<zylo::CalTask>(*store_->taskWithUID(u"started"));
  started->setDueDate(local(2026, 12, 24));
  ASSERT_TRUE(store_->saveTask(*started, error_));
  EXPECT_TRUE(contains(fileOf(*started), "\r\nDUE;TZID=Europe/Berlin:20261224T000000\r\n")) << fileOf(*started);

  day->setDueDate(local(2026, 12, 25));
  ASSERT_TRUE(store_->saveTask(*day, error_));
  store();
  EXPECT_EQ(store_->taskWithUID(day->uid())->dueDate(), local(2026, 12, 25));
}

// Pacific/Apia went from 29 to 31 December 2011: the 30th's midnight is
// the 31st's instant, and an all-day event the host puts there is the 30th's.
TEST_F(WrittenValuesTest, AnAllDayEventOnADayTheZoneSkippedKeepsItsDate) {
  zone_ = foundation::namedZone("Pacific/Apia");
  ASSERT_NE(zone_, nullptr);
  store();
  auto e = newEvent(local(2011, 12, 30), local(2011, 12, 31), true);
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kThisEvent, error_));
  EXPECT_TRUE(contains(fileOf(*e), "DTSTART;VALUE=DATE:20111230\r\nDTEND;VALUE=DATE:20111231\r\n")) << fileOf(*e);
  store();
  auto back = store_->eventWithUID(e->uid(), std::nullopt);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->isAllDay());
  const auto day = foundation::splitAsStartOfDay(*back->startDate(), *zone_);
  EXPECT_EQ((std::array{day.year, day.month, day.day}), (std::array{2011, 12, 30}));
  // Moved on to the new year, for two days.
  back->setStartDate(local(2012, 1, 1));
  back->setEndDate(local(2012, 1, 3));
  ASSERT_TRUE(store_->saveEvent(*back, CalSpan::kAllEvents, error_));
  EXPECT_TRUE(contains(fileOf(*back), "DTSTART;VALUE=DATE:20120101\r\nDTEND;VALUE=DATE:20120103\r\n"));
}

TEST_F(WrittenValuesTest, ASeriesWithEveryOccurrenceRemovedGoesWithItsFile) {
  writeItem("cal", "s.ics",
            "BEGIN:VEVENT\nUID:s\nDTSTART:20260620T080000Z\nDTEND:20260620T090000Z\n"
            "RRULE:FREQ=DAILY;COUNT=3\nRDATE:20260630T080000Z\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:s\nRECURRENCE-ID:20260621T080000Z\nDTSTART:20260621T100000Z\n"
            "DTEND:20260621T110000Z\nSUMMARY:Moved\nEND:VEVENT\n");
  store();
  for (int removed = 0; removed < 4; ++removed) {
    EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname", "s.ics"}));
    auto all = events(utc(2026, 6, 1), utc(2026, 8, 1));
    ASSERT_EQ(all->size(), 4u - removed);
    zylo::CalEvent last = *all->back();
    ASSERT_TRUE(store_->removeEvent(last, CalSpan::kThisEvent, error_));
  }
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname"}));
  EXPECT_EQ(store_->eventWithUID(u"s", std::nullopt), nullptr);
}

}  // namespace
}  // namespace calendarstore::testing
