// Repeating events: expansion in the event's zone, exceptions, overrides,
// and the order of what a range holds.
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

std::vector<foundation::Date> startsOf(const zylo::CalendarStore::EventList& list) {
  std::vector<foundation::Date> starts;
  for (const auto& e : *list) starts.push_back(*e->startDate());
  return starts;
}

class RecurrenceTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal");
  }
};

TEST_F(RecurrenceTest, DailyAtNineStaysAtNineAcrossTheClockChange) {
  writeItem("cal", "d.ics",
            "BEGIN:VEVENT\nUID:d\nDTSTART;TZID=Europe/Berlin:20260327T090000\n"
            "DTEND;TZID=Europe/Berlin:20260327T100000\nRRULE:FREQ=DAILY;COUNT=4\nEND:VEVENT\n");
  store();
  EXPECT_EQ(startsOf(events(utc(2026, 3, 1), utc(2026, 4, 30))),
            (std::vector<foundation::Date>{utc(2026, 3, 27, 8), utc(2026, 3, 28, 8), utc(2026, 3, 29, 7),
                                           utc(2026, 3, 30, 7)}));
}

TEST_F(RecurrenceTest, ExceptionsOverridesAndOverlapAtTheRangeStart) {
  // Weekly on Mondays 23:00-01:00 UTC; one excluded, one moved by an override
  // whose RECURRENCE-ID names the occurrence in another zone.
  writeItem("cal", "w.ics",
            "BEGIN:VEVENT\nUID:w\nDTSTART:20260601T230000Z\nDTEND:20260602T010000Z\n"
            "RRULE:FREQ=WEEKLY\nEXDATE:20260608T230000Z\nSUMMARY:Weekly\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:w\nRECURRENCE-ID;TZID=Europe/Berlin:20260616T010000\n"
            "DTSTART:20260617T080000Z\nDTEND:20260617T090000Z\nSUMMARY:Moved\nEND:VEVENT\n");
  store();
  // From 00:00 on 2026-06-02: the occurrence of 06-01 still runs.
  auto list = events(utc(2026, 6, 2), utc(2026, 6, 23));
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ((*list)[0]->startDate(), utc(2026, 6, 1, 23));
  EXPECT_EQ((*list)[1]->title(), u"Moved");
  EXPECT_TRUE((*list)[1]->isDetached());
  EXPECT_EQ((*list)[1]->occurrence(), utc(2026, 6, 15, 23));
  EXPECT_EQ((*list)[1]->startDate(), utc(2026, 6, 17, 8));
  EXPECT_EQ((*list)[2]->startDate(), utc(2026, 6, 22, 23));
  EXPECT_FALSE((*list)[2]->isDetached());
  EXPECT_EQ((*list)[2]->occurrence(), utc(2026, 6, 22, 23));
}

TEST_F(RecurrenceTest, OpenByUidAndOccurrence) {
  writeItem("cal", "w.ics",
            "BEGIN:VEVENT\nUID:w\nDTSTART:20260601T100000Z\nRRULE:FREQ=WEEKLY;UNTIL=20260615T100000Z\n"
            "EXDATE:20260601T100000Z\nEND:VEVENT\n");
  store();
  auto first = store_->eventWithUID(u"w", std::nullopt);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->occurrence(), utc(2026, 6, 8, 10));
  EXPECT_NE(store_->eventWithUID(u"w", utc(2026, 6, 15, 10)), nullptr);
  EXPECT_EQ(store_->eventWithUID(u"w", utc(2026, 6, 22, 10)), nullptr);  // past UNTIL
  EXPECT_EQ(store_->eventWithUID(u"w", utc(2026, 6, 1, 10)), nullptr);   // excluded
  EXPECT_EQ(store_->eventWithUID(u"w", utc(2026, 6, 8, 11)), nullptr);   // not an occurrence
  EXPECT_EQ(store_->eventWithUID(u"nothing", std::nullopt), nullptr);
}

TEST_F(RecurrenceTest, RangeIsOrderedByStartEndAndUid) {
  writeItem("cal", "b.ics", "BEGIN:VEVENT\nUID:b\nDTSTART:20260615T100000Z\nDTEND:20260615T110000Z\nEND:VEVENT\n");
  writeItem("cal", "a.ics", "BEGIN:VEVENT\nUID:a\nDTSTART:20260615T100000Z\nDTEND:20260615T110000Z\nEND:VEVENT\n");
  writeItem("cal", "c.ics", "BEGIN:VEVENT\nUID:c\nDTSTART:20260615T100000Z\nDTEND:20260615T103000Z\nEND:VEVENT\n");
  writeItem("cal", "z.ics", "BEGIN:VEVENT\nUID:z\nDTSTART:20260615T090000Z\nEND:VEVENT\n");
  store();
  std::vector<std::u16string> uids;
  const auto held = events(utc(2026, 6, 15), utc(2026, 6, 16));
  for (const auto& e : *held) uids.push_back(e->uid());
  EXPECT_EQ(uids, (std::vector<std::u16string>{u"z", u"c", u"a", u"b"}));
  // A zero-length event counts only when its start lies inside the range.
  EXPECT_TRUE(events(utc(2026, 6, 15, 8), utc(2026, 6, 15, 9))->empty());
}

TEST_F(RecurrenceTest, RulesBeyondTheModelStillExpand) {
  writeItem("cal", "p.ics",
            "BEGIN:VEVENT\nUID:p\nDTSTART:20260130T100000Z\n"
            "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=3\nEND:VEVENT\n");
  writeItem("cal", "h.ics", "BEGIN:VEVENT\nUID:h\nDTSTART:20260615T100000Z\nRRULE:FREQ=HOURLY;COUNT=3\nEND:VEVENT\n");
  writeItem("cal", "f.ics", "BEGIN:VEVENT\nUID:f\nDTSTART:20260130T100000Z\nRRULE:FREQ=MONTHLY;BYDAY=-1FR\nEND:VEVENT\n");
  store();
  auto p = store_->eventWithUID(u"p", std::nullopt);
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->recurrenceRule(), nullptr);
  // khal's "last weekday of the month": a monthly rule whose BYSETPOS stays in the kept text.
  EXPECT_EQ(p->recurrenceRule()->recurrenceType(), zylo::CalRecurrenceRule::kMonthly);
  EXPECT_NE(p->recurrenceRule()->sourceRule().value_or("").find("BYSETPOS=-1"), std::string::npos);
  EXPECT_EQ(store_->eventWithUID(u"h", std::nullopt)->recurrenceRule()->recurrenceType(),
            zylo::CalRecurrenceRule::kOther);
  EXPECT_EQ(startsOf(events(utc(2026, 1, 1), utc(2026, 4, 1))).size(), 3u + 3u);
  EXPECT_EQ(events(utc(2026, 6, 15), utc(2026, 6, 16))->size(), 3u + 0u);
  auto f = store_->eventWithUID(u"f", std::nullopt)->recurrenceRule();
  EXPECT_EQ(f->recurrenceType(), zylo::CalRecurrenceRule::kMonthly);
  ASSERT_EQ(f->nthWeekDaysOfTheMonth().size(), 1u);
  EXPECT_EQ(f->nthWeekDaysOfTheMonth()[0], (zylo::CalNthWeekDay{-1, 6}));
  auto onlyF = zylo::EventPredicate::eventPredicateWithStartDate(utc(2026, 2, 1), utc(2026, 4, 1), u"f",
                                                                 store_->calendars());
  EXPECT_EQ(startsOf(store_->eventsWithPredicate(*onlyF)),
            (std::vector<foundation::Date>{utc(2026, 2, 27, 10), utc(2026, 3, 27, 10)}));
}

TEST_F(RecurrenceTest, AnHourlyRuleFromCenturiesAgoSkipsToTheRange) {
  // Walked hour by hour from 1013 this took minutes.
  writeItem("cal", "h.ics",
            "BEGIN:VEVENT\nUID:h\nDTSTART:10130604T103000Z\nRRULE:FREQ=HOURLY;INTERVAL=5;BYMONTH=6;BYDAY=SU\n"
            "END:VEVENT\n");
  store();
  const auto june = startsOf(events(utc(2026, 6, 28), utc(2026, 6, 29)));
  ASSERT_FALSE(june.empty());
  // Every fifth hour from 10:30 on 4 June 1013: the offsets stay in step.
  for (foundation::Date d : june) {
    EXPECT_EQ((d - utc(1013, 6, 4, 10, 30)).count() % (5 * 3600), 0);
    EXPECT_EQ(foundation::splitGregorian(d, *foundation::fixedOffsetZone(0)).day, 28);
  }
}

TEST_F(RecurrenceTest, ARuleTheStandardForbidsYieldsOnlyItsStart) {
  // A numbered weekday in an hourly rule: libical searched it for seconds.
  writeItem("cal", "f.ics",
            "BEGIN:VEVENT\nUID:f\nDTSTART:20260604T100000Z\nRRULE:FREQ=HOURLY;BYMONTH=6;BYDAY=-1SU\n"
            "RDATE:20260610T100000Z\nEND:VEVENT\n");
  store();
  EXPECT_EQ(startsOf(events(utc(2026, 1, 1), utc(2027, 1, 1))),
            (std::vector<foundation::Date>{utc(2026, 6, 4, 10), utc(2026, 6, 10, 10)}));
}

TEST_F(RecurrenceTest, AnAlarmOfARuleOfMinutesLeavesAShortFetchWhole) {
  // The next alarm once looked through 800 days of occurrences: more than a
  // fetch may hold, which failed every fetch of the event.
  writeItem("cal", "m.ics",
            "BEGIN:VEVENT\nUID:m\nDTSTART:20200101T000000Z\nDURATION:PT1M\nRRULE:FREQ=MINUTELY\n"
            "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-PT5M\nDESCRIPTION:m\nEND:VALARM\nEND:VEVENT\n");
  store();
  const auto list = events(utc(2026, 6, 1, 10), utc(2026, 6, 1, 11));
  ASSERT_EQ(list->size(), 60u);
  EXPECT_TRUE((*list)[0]->nextAlarmDate());
}

}  // namespace
}  // namespace calendarstore::testing
