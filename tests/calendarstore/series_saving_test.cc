// Edits of repeating events through the store: every span keeps every
// occurrence, exception and time zone. Each case was once answered with
// success while occurrences were lost, doubled or shifted.
#include <fstream>

#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

using foundation::Date;
using zylo::CalSpan;
using std::chrono::hours;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Seen {
  Date start, end;
  std::u16string title;
  friend bool operator==(const Seen&, const Seen&) = default;
};

class SeriesEditTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Cal");
    makeCalendar("other", "Other");
  }
  std::vector<Seen> seen(Date from, Date to) {
    std::vector<Seen> list;
    for (const auto& e : *events(from, to)) list.push_back({*e->startDate(), *e->endDate(), e->title().value_or(u"")});
    return list;
  }
  std::vector<Date> starts(Date from, Date to) {
    std::vector<Date> list;
    for (const auto& s : seen(from, to)) list.push_back(s.start);
    return list;
  }
  std::shared_ptr<zylo::CalEvent> open(const std::u16string& uid, Date occurrence) {
    auto e = store_->eventWithUID(uid, occurrence);
    EXPECT_NE(e, nullptr);
    return e ? std::make_shared<zylo::CalEvent>(*e) : zylo::CalEvent::event();
  }
  void save(zylo::CalEvent& e, CalSpan span) {
    ASSERT_TRUE(store_->saveEvent(e, span, error_)) << foundation::toUtf8(*error_.localizedFailureReason);
  }
  void remove(const std::u16string& uid, Date occurrence, CalSpan span) {
    ASSERT_TRUE(store_->removeEvent(*open(uid, occurrence), span, error_));
  }
  // The files of a calendar folder joined, item files only.
  std::string itemFiles(const std::string& folder) {
    std::string all;
    for (const auto& f : filesIn(folder)) {
      if (f.ends_with(".ics")) all += readFile(folder + "/" + f);
    }
    return all;
  }
  zylo::StoreError error_;
};

// Daily at 10:00 Berlin, 20 times from 2027-03-22: across the spring change.
constexpr const char* kDaily =
    "BEGIN:VEVENT\nUID:d\nDTSTART;TZID=Europe/Berlin:20270322T100000\n"
    "DTEND;TZID=Europe/Berlin:20270322T110000\nRRULE:FREQ=DAILY;COUNT=20\nSUMMARY:Daily\nEND:VEVENT\n";

// 10:00 Berlin on day `day` of March or April 2027, as an instant.
Date berlin(int month, int day, int hour = 10, int minute = 0) {
  const bool summer = month > 3 || (month == 3 && day >= 28);
  return utc(2027, month, day, hour - (summer ? 2 : 1), minute);
}

TEST_F(SeriesEditTest, RetimingAllKeepsExclusionsChangesAndTheLastOccurrence) {
  writeItem("cal", "d.ics", kDaily);
  store();
  remove(u"d", berlin(3, 24), CalSpan::kThisEvent);
  auto fourth = open(u"d", berlin(3, 25));
  fourth->setTitle(u"Fourth");
  save(*fourth, CalSpan::kThisEvent);
  auto second = open(u"d", berlin(3, 23));
  second->setStartDate(berlin(3, 23, 11));
  second->setEndDate(berlin(3, 23, 12));
  save(*second, CalSpan::kAllEvents);

  const auto all = seen(utc(2027, 3, 1), utc(2027, 5, 1));
  ASSERT_EQ(all.size(), 19u);  // 20 less the one removed: none back, none twice, none lost
  for (const Seen& s : all) EXPECT_EQ(foundation::splitGregorian(s.start, *zone_).hour, 11);
  EXPECT_EQ(all[2], (Seen{berlin(3, 25, 11), berlin(3, 25, 12), u"Fourth"}));
  EXPECT_EQ(all.back().start, berlin(4, 10, 11));
  // The saved occurrence stays current, at its new place.
  EXPECT_EQ(second->occurrence(), berlin(3, 23, 11));
  EXPECT_EQ(second->startDate(), berlin(3, 23, 11));
}

TEST_F(SeriesEditTest, MovingAWednesdaySeriesToThursdayMovesItsWeekday) {
  writeItem("cal", "w.ics",
            "BEGIN:VEVENT\nUID:w\nDTSTART;TZID=Europe/Berlin:20270602T090000\n"
            "DTEND;TZID=Europe/Berlin:20270602T100000\nRRULE:FREQ=WEEKLY;BYDAY=WE;COUNT=4\nEND:VEVENT\n");
  store();
  auto second = open(u"w", utc(2027, 6, 9, 7));
  second->setStartDate(utc(2027, 6, 10, 7));
  second->setEndDate(utc(2027, 6, 10, 8));
  save(*second, CalSpan::kAllEvents);
  EXPECT_EQ(starts(utc(2027, 6, 1), utc(2027, 7, 1)),
            (std::vector<Date>{utc(2027, 6, 3, 7), utc(2027, 6, 10, 7), utc(2027, 6, 17, 7), utc(2027, 6, 24, 7)}));
  EXPECT_TRUE(contains(readFile("cal/w.ics"), "BYDAY=TH"));
}

TEST_F(SeriesEditTest, AMovedOccurrenceCarriesOnlyWhatTheScriptChanged) {
  writeItem("cal", "d.ics", kDaily);
  store();
  auto third = open(u"d", berlin(3, 24));
  third->setStartDate(berlin(3, 24, 14));
  third->setEndDate(berlin(3, 24, 15));
  save(*third, CalSpan::kThisEvent);

  // Only the end changes, saved for all: a longer series, still at 10:00.
  auto again = open(u"d", berlin(3, 24));
  again->setEndDate(berlin(3, 24, 15, 30));
  save(*again, CalSpan::kAllEvents);
  auto all = seen(utc(2027, 3, 1), utc(2027, 5, 1));
  ASSERT_EQ(all.size(), 20u);
  EXPECT_EQ(all[0], (Seen{berlin(3, 22), berlin(3, 22, 11, 30), u"Daily"}));
  EXPECT_EQ(all[2], (Seen{berlin(3, 24, 14), berlin(3, 24, 15, 30), u"Daily"}));

  // Only the notes change, saved for the future: nothing moves.
  auto future = open(u"d", berlin(3, 24));
  future->setNotes(u"From here on");
  save(*future, CalSpan::kFutureEvents);
  all = seen(utc(2027, 3, 1), utc(2027, 5, 1));
  ASSERT_EQ(all.size(), 20u);
  EXPECT_EQ(all[2].start, berlin(3, 24, 14));
  EXPECT_EQ(all[3].start, berlin(3, 25));
}

TEST_F(SeriesEditTest, MovesAcrossTheClockChangeAreCalendarDays) {
  writeItem("cal", "d.ics", kDaily);
  writeItem("cal", "a.ics",
            "BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:20270326\nDTEND;VALUE=DATE:20270327\n"
            "RRULE:FREQ=WEEKLY;COUNT=3\nEND:VEVENT\n");
  store();
  auto first = open(u"d", berlin(3, 26));
  first->setStartDate(berlin(3, 28));  // two calendar days, 47 hours
  first->setEndDate(berlin(3, 28, 11));
  save(*first, CalSpan::kAllEvents);
  std::vector<Date> moved;
  for (const Seen& s : seen(utc(2027, 3, 1), utc(2027, 5, 1))) {
    if (s.title == u"Daily") moved.push_back(s.start);
  }
  ASSERT_EQ(moved.size(), 20u);
  EXPECT_EQ(moved.front(), berlin(3, 24));
  for (Date s : moved) EXPECT_EQ(foundation::splitGregorian(s, *zone_).hour, 10);
  auto day = open(u"a", utc(2027, 3, 25, 23));  // midnight of 26 March in Berlin
  day->setStartDate(utc(2027, 3, 27, 23));        // midnight of 28 March, the short day
  day->setEndDate(utc(2027, 3, 28, 22));
  save(*day, CalSpan::kAllEvents);
  const std::string file = readFile("cal/a.ics");
  EXPECT_TRUE(contains(file, "DTSTART;VALUE=DATE:20270328"));
  EXPECT_TRUE(contains(file, "DTEND;VALUE=DATE:20270329"));
}

TEST_F(SeriesEditTest, FutureSplitLeavesExtraDatesAndExclusionsWithTheirPart) {
  writeItem("cal", "r.ics",
            "BEGIN:VEVENT\nUID:r\nDTSTART:20270601T080000Z\nDTEND:20270601T090000Z\n"
            "RRULE:FREQ=DAILY;COUNT=6\nRDATE:20270601T150000Z\nRDATE:20270610T150000Z\n"
            "EXDATE:20270602T080000Z\nEXDATE:20270605T080000Z\nSUMMARY:R\nEND:VEVENT\n");
  store();
  auto fourth = open(u"r", utc(2027, 6, 4, 8));
  fourth->setTitle(u"Later");
  save(*fourth, CalSpan::kFutureEvents);
  const auto all = seen(utc(2027, 5, 1), utc(2027, 7, 1));
  EXPECT_EQ(all, (std::vector<Seen>{{utc(2027, 6, 1, 8), utc(2027, 6, 1, 9), u"R"},
                                    {utc(2027, 6, 1, 15), utc(2027, 6, 1, 16), u"R"},
                                    {utc(2027, 6, 3, 8), utc(2027, 6, 3, 9), u"R"},
                                    {utc(2027, 6, 4, 8), utc(2027, 6, 4, 9), u"Later"},
                                    {utc(2027, 6, 6, 8), utc(2027, 6, 6, 9), u"Later"},
                                    {utc(2027, 6, 10, 15), utc(2027, 6, 10, 16), u"Later"}}));
  // The new series counts only the rule's instances still to come.
  const std::string later = readFile("cal/" + foundation::toUtf8(fourth->uid()) + ".ics");
  EXPECT_TRUE(contains(later, "COUNT=3")) << later;
  EXPECT_FALSE(contains(later, "20270602T080000Z")) << later;  // an exclusion before its start
  EXPECT_FALSE(contains(later, "RDATE:20270601")) << later;
  // And the saved series is the current event.
  ASSERT_NE(fourth->recurrenceRule(), nullptr);
  EXPECT_EQ(fourth->recurrenceRule()->recurrenceEnd()->occurrenceCount(), 3);
}

TEST_F(SeriesEditTest, ACalendarChangeMovesTheSeriesOrIsRefused) {
  writeItem("cal", "d.ics", kDaily);
  store();
  auto one = open(u"d", berlin(3, 24));
  one->setCalendar(calendar("other"));
  EXPECT_FALSE(store_->saveEvent(*one, CalSpan::kThisEvent, error_));
  EXPECT_EQ(error_.localizedFailureReason,
            u"A change of calendar belongs to the whole series or to its future occurrences.");

  save(*one, CalSpan::kFutureEvents);
  EXPECT_TRUE(contains(itemFiles("other"), "COUNT=18"));
  EXPECT_TRUE(contains(readFile("cal/d.ics"), "UNTIL=20270324T085959Z"));
  auto rest = open(u"d", berlin(3, 22));
  rest->setCalendar(calendar("other"));
  save(*rest, CalSpan::kAllEvents);
  EXPECT_EQ(itemFiles("cal"), "");
  EXPECT_EQ(seen(utc(2027, 3, 1), utc(2027, 5, 1)).size(), 20u);
}

TEST_F(SeriesEditTest, SavesKeepTheZoneAndFormTheFileWrote) {
  writeItem("cal", "ny.ics",
            "BEGIN:VEVENT\nUID:ny\nDTSTART;TZID=America/New_York:20270301T090000\n"
            "DTEND;TZID=America/New_York:20270301T100000\nRRULE:FREQ=WEEKLY;COUNT=4\nEND:VEVENT\n");
  writeItem("cal", "f.ics",
            "BEGIN:VEVENT\nUID:f\nDTSTART:20270301T090000\nDTEND:20270301T100000\n"
            "RRULE:FREQ=DAILY;COUNT=4\nEND:VEVENT\n");
  writeItem("cal", "u.ics",
            "BEGIN:VEVENT\nUID:u\nDTSTART:20270301T090000Z\nDTEND:20270301T100000Z\n"
            "RRULE:FREQ=DAILY;COUNT=4\nEND:VEVENT\n");
  store();
  // A title for all, then one occurrence an hour later: the second of the
  // daily ones, the second week's of the weekly one.
  const std::pair<std::u16string, int> kSeries[] = {{u"ny", 7}, {u"f", 1}, {u"u", 1}};
  for (const auto& [uid, days] : kSeries) {
    auto series = open(uid, *store_->eventWithUID(uid, std::nullopt)->occurrence());
    series->setTitle(u"Renamed");
    save(*series, CalSpan::kAllEvents);
    auto one = open(uid, *series->occurrence() + std::chrono::days{days});
    one->setStartDate(*one->startDate() + hours{1});
    one->setEndDate(*one->endDate() + hours{1});
    save(*one, CalSpan::kThisEvent);
  }
  const std::string ny = readFile("cal/ny.ics"), floating = readFile("cal/f.ics"), zulu = readFile("cal/u.ics");
  EXPECT_TRUE(contains(ny, "DTSTART;TZID=America/New_York:20270301T090000")) << ny;
  EXPECT_TRUE(contains(ny, "RECURRENCE-ID;TZID=America/New_York:20270308T090000")) << ny;
  EXPECT_TRUE(contains(ny, "DTSTART;TZID=America/New_York:20270308T100000")) << ny;
  EXPECT_TRUE(contains(floating, "DTSTART:20270301T090000\r\n")) << floating;
  EXPECT_TRUE(contains(floating, "DTSTART:20270302T100000\r\n")) << floating;
  EXPECT_TRUE(contains(zulu, "DTSTART:20270301T090000Z")) << zulu;
  EXPECT_TRUE(contains(zulu, "DTSTART:20270302T100000Z")) << zulu;
  EXPECT_FALSE(contains(ny + floating + zulu, "Europe/Berlin"));
  // The New York series stays at 09:00 New York when the two zones change
  // clocks on different dates (14 March in New York, 28 March in Berlin).
  EXPECT_EQ(starts(utc(2027, 3, 20), utc(2027, 3, 23)), (std::vector<Date>{utc(2027, 3, 22, 13)}));
}

TEST_F(SeriesEditTest, AFloatingSeriesEndsWithAFloatingUntil) {
  writeItem("cal", "f.ics",
            "BEGIN:VEVENT\nUID:f\nDTSTART:20270301T090000\nDTEND:20270301T100000\n"
            "RRULE:FREQ=DAILY;COUNT=10\nEND:VEVENT\n");
  store();
  remove(u"f", berlin(3, 5, 9), CalSpan::kFutureEvents);
  EXPECT_TRUE(contains(readFile("cal/f.ics"), "RRULE:FREQ=DAILY;UNTIL=20270305T085959\r\n"));
  EXPECT_EQ(seen(utc(2027, 3, 1), utc(2027, 4, 1)).size(), 4u);

  auto e = open(u"f", berlin(3, 1, 9));
  e->setRecurrenceRule(zylo::CalRecurrenceRule::initDailyRecurrenceWithInterval(
      1, zylo::CalRecurrenceEnd::recurrenceEndWithEndDate(berlin(3, 3, 9))));
  save(*e, CalSpan::kAllEvents);
  EXPECT_TRUE(contains(readFile("cal/f.ics"), "UNTIL=20270303T090000\r\n"));
  EXPECT_EQ(seen(utc(2027, 3, 1), utc(2027, 4, 1)).size(), 3u);
}

TEST_F(SeriesEditTest, ASeriesMadeSingleFromAnOccurrenceOnKeepsNoOverrides) {
  writeItem("cal", "d.ics",
            "BEGIN:VEVENT\nUID:d\nDTSTART:20270601T080000Z\nDTEND:20270601T090000Z\n"
            "RRULE:FREQ=DAILY;COUNT=6\nSUMMARY:D\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:d\nRECURRENCE-ID:20270605T080000Z\nDTSTART:20270605T120000Z\n"
            "DTEND:20270605T130000Z\nSUMMARY:Moved\nEND:VEVENT\n");
  store();
  auto third = open(u"d", utc(2027, 6, 3, 8));
  third->setRecurrenceRule(nullptr);
  save(*third, CalSpan::kFutureEvents);
  EXPECT_EQ(starts(utc(2027, 6, 1), utc(2027, 7, 1)),
            (std::vector<Date>{utc(2027, 6, 1, 8), utc(2027, 6, 2, 8), utc(2027, 6, 3, 8)}));
  const std::string single = readFile("cal/" + foundation::toUtf8(third->uid()) + ".ics");
  EXPECT_FALSE(contains(single, "RECURRENCE-ID")) << single;
  EXPECT_FALSE(contains(single, "RRULE")) << single;
}

TEST_F(SeriesEditTest, AnAllDayEventOnTheLongDayEndsTheNextDay) {
  store();
  auto e = zylo::CalEvent::event();
  e->setCalendar(calendar("cal"));
  e->setStartDate(utc(2027, 10, 30, 22));  // midnight of 31 October in Berlin, a 25-hour day
  e->setEndDate(utc(2027, 10, 30, 22));
  e->setIsAllDay(true);
  save(*e, CalSpan::kAllEvents);
  const std::string file = readFile("cal/" + foundation::toUtf8(e->uid()) + ".ics");
  EXPECT_TRUE(contains(file, "DTSTART;VALUE=DATE:20271031")) << file;
  EXPECT_TRUE(contains(file, "DTEND;VALUE=DATE:20271101")) << file;
}

TEST_F(SeriesEditTest, RemovingACalendarWithAForeignFileRemovesNothing) {
  writeItem("cal", "d.ics", kDaily);
  std::ofstream(root_ / "cal" / "notes.txt") << "another program's\n";
  store();
  EXPECT_FALSE(store_->removeCalendar(*calendar("cal"), error_));
  EXPECT_EQ(error_.localizedFailureReason,
            u"Its folder holds a file that is not a calendar item (notes.txt); nothing was removed.");
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"d.ics", "displayname", "notes.txt"}));
  std::filesystem::remove(root_ / "cal" / "notes.txt");
  EXPECT_TRUE(store_->removeCalendar(*calendar("cal"), error_));
  EXPECT_FALSE(std::filesystem::exists(root_ / "cal"));
}

TEST_F(SeriesEditTest, ReadingAppliesRangesPeriodsAndDayExclusions) {
  writeItem("cal", "t.ics",
            "BEGIN:VEVENT\nUID:t\nDTSTART:20270601T080000Z\nDTEND:20270601T090000Z\n"
            "RRULE:FREQ=DAILY;COUNT=5\nSUMMARY:Before\nEXDATE;VALUE=DATE:20270602\n"
            "RDATE;VALUE=PERIOD:20270610T150000Z/20270610T180000Z\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:t\nRECURRENCE-ID;RANGE=THISANDFUTURE:20270604T080000Z\n"
            "DTSTART:20270604T100000Z\nDTEND:20270604T110000Z\nSUMMARY:After\nEND:VEVENT\n");
  store();
  EXPECT_EQ(seen(utc(2027, 5, 1), utc(2027, 7, 1)),
            (std::vector<Seen>{{utc(2027, 6, 1, 8), utc(2027, 6, 1, 9), u"Before"},
                               {utc(2027, 6, 3, 8), utc(2027, 6, 3, 9), u"Before"},
                               {utc(2027, 6, 4, 10), utc(2027, 6, 4, 11), u"After"},
                               {utc(2027, 6, 5, 10), utc(2027, 6, 5, 11), u"After"},
                               // The range reaches the extra date too.
                               {utc(2027, 6, 10, 17), utc(2027, 6, 10, 18), u"After"}}));
}

}  // namespace
}  // namespace calendarstore::testing
