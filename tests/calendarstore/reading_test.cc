// Events as other programs write them: zones, lengths, text, attendees and
// alarms.
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

const char kCustomZone[] =
    "BEGIN:VTIMEZONE\nTZID:Office Time\nBEGIN:STANDARD\nDTSTART:19700101T000000\n"
    "TZOFFSETFROM:+0300\nTZOFFSETTO:+0300\nTZNAME:OT\nEND:STANDARD\nEND:VTIMEZONE\n";

class ReadingTest : public StoreTest {
 protected:
  std::shared_ptr<zylo::CalEvent> only(const std::string& body) {
    makeCalendar("cal");
    writeItem("cal", "item.ics", body);
    auto event = store().eventWithUID(u"u", std::nullopt);
    EXPECT_NE(event, nullptr) << (store_->unreadableFiles().empty() ? "" : store_->unreadableFiles()[0].second);
    return event;
  }
};

TEST_F(ReadingTest, TimesInNamedCustomUtcAndFloatingZones) {
  auto berlin = only("BEGIN:VEVENT\nUID:u\nDTSTART;TZID=Europe/Berlin:20260615T100000\n"
                     "DTEND;TZID=/freeassociation.sourceforge.net/Europe/Berlin:20260615T113000\nEND:VEVENT\n");
  EXPECT_EQ(berlin->startDate(), utc(2026, 6, 15, 8));
  EXPECT_EQ(berlin->endDate(), utc(2026, 6, 15, 9, 30));
  auto custom = only(std::string(kCustomZone) +
                     "BEGIN:VEVENT\nUID:u\nDTSTART;TZID=Office Time:20260615T100000\nEND:VEVENT\n");
  EXPECT_EQ(custom->startDate(), utc(2026, 6, 15, 7));
  EXPECT_EQ(custom->endDate(), custom->startDate());
  auto utcEvent = only("BEGIN:VEVENT\nUID:u\nDTSTART:20261215T100000Z\nDURATION:PT45M\nEND:VEVENT\n");
  EXPECT_EQ(utcEvent->startDate(), utc(2026, 12, 15, 10));
  EXPECT_EQ(utcEvent->endDate(), utc(2026, 12, 15, 10, 45));
  auto floating = only("BEGIN:VEVENT\nUID:u\nDTSTART:20261215T100000\nEND:VEVENT\n");
  EXPECT_EQ(floating->startDate(), utc(2026, 12, 15, 9));
}

TEST_F(ReadingTest, GapAndRepeatedHoursFollowTheCalendarRules) {
  // 02:30 does not exist in Berlin on 2026-03-29: it takes the offset before the gap.
  auto gap = only("BEGIN:VEVENT\nUID:u\nDTSTART;TZID=Europe/Berlin:20260329T023000\nEND:VEVENT\n");
  EXPECT_EQ(gap->startDate(), utc(2026, 3, 29, 1, 30));
  // 02:30 happens twice on 2026-10-25: the first one counts.
  auto repeated = only("BEGIN:VEVENT\nUID:u\nDTSTART;TZID=Europe/Berlin:20261025T023000\nEND:VEVENT\n");
  EXPECT_EQ(repeated->startDate(), utc(2026, 10, 25, 0, 30));
}

TEST_F(ReadingTest, AllDayEventsLastADayUnlessTheySayOtherwise) {
  auto oneDay = only("BEGIN:VEVENT\nUID:u\nDTSTART;VALUE=DATE:20260615\nEND:VEVENT\n");
  EXPECT_TRUE(oneDay->isAllDay());
  EXPECT_EQ(oneDay->startDate(), utc(2026, 6, 14, 22));
  EXPECT_EQ(oneDay->endDate(), utc(2026, 6, 15, 22));
  auto threeDays = only("BEGIN:VEVENT\nUID:u\nDTSTART;VALUE=DATE:20260615\nDTEND;VALUE=DATE:20260618\nEND:VEVENT\n");
  EXPECT_EQ(threeDays->endDate(), utc(2026, 6, 17, 22));
}

TEST_F(ReadingTest, TextAsWrittenIncludingFoldedLinesAndOtherScripts) {
  auto event = only(
      "BEGIN:VEVENT\nUID:u\nDTSTART:20260615T100000Z\nSUMMARY:Caf\xC3\xA9 mit J\xC3\xBCrgen \xE2\x80\x94 "
      "\xE4\xBC\x9A\xE8\xAD\xB0\nDESCRIPTION:A long description that another program folded at seven\n"
      " ty-five octets\\, with an escaped comma\\nand a second line\nLOCATION:Room 4\n"
      "URL:https://example.org/meeting?id=7\nDTSTAMP:20260101T000000Z\n"
      "LAST-MODIFIED:20260301T120000Z\nX-OTHER-PROGRAM:kept\nEND:VEVENT\n");
  EXPECT_EQ(event->title(), u"Caf\u00E9 mit J\u00FCrgen \u2014 \u4F1A\u8B70");
  // The host breaks lines with a carriage return.
  EXPECT_EQ(event->notes(),
            u"A long description that another program folded at seventy-five octets, with an "
            u"escaped comma\rand a second line");
  EXPECT_EQ(event->location(), u"Room 4");
  ASSERT_TRUE(event->url());
  EXPECT_EQ(event->url()->absoluteString(), u"https://example.org/meeting?id=7");
  EXPECT_EQ(event->dateStamp(), utc(2026, 3, 1, 12));
  EXPECT_EQ(event->calendar()->uid(), u"cal");
}

TEST_F(ReadingTest, AttendeesWithTheirStatus) {
  auto event = only(
      "BEGIN:VEVENT\nUID:u\nDTSTART:20260615T100000Z\n"
      "ATTENDEE;CN=Ann Example;PARTSTAT=ACCEPTED:mailto:ann@example.org\n"
      "ATTENDEE;PARTSTAT=IN-PROCESS:mailto:bob@example.org\nATTENDEE:mailto:cy@example.org\nEND:VEVENT\n");
  ASSERT_TRUE(event->attendees());
  const auto& a = *event->attendees();
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0]->commonName, u"Ann Example");
  EXPECT_EQ(a[0]->address->absoluteString(), u"mailto:ann@example.org");
  EXPECT_EQ(a[0]->status, u"accepted");
  EXPECT_EQ(a[1]->status, u"in process");
  EXPECT_EQ(a[2]->status, u"needs action");
  EXPECT_FALSE(a[2]->commonName);
  EXPECT_FALSE(only("BEGIN:VEVENT\nUID:u\nDTSTART:20260615T100000Z\nEND:VEVENT\n")->attendees());
}

TEST_F(ReadingTest, NextAlarmAfterNowAcrossOccurrences) {
  // Daily at 12:30 UTC with an alarm 15 minutes before: now is 12:00 on
  // 2026-06-15, so the next alarm is today's at 12:15.
  auto repeating = only(
      "BEGIN:VEVENT\nUID:u\nDTSTART:20260601T123000Z\nRRULE:FREQ=DAILY\n"
      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-PT15M\nEND:VALARM\nEND:VEVENT\n");
  EXPECT_TRUE(repeating->hasAlarm());
  EXPECT_EQ(repeating->nextAlarmDate(), utc(2026, 6, 15, 12, 15));
  auto past = only(
      "BEGIN:VEVENT\nUID:u\nDTSTART:20260601T100000Z\n"
      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER;VALUE=DATE-TIME:20260601T090000Z\nEND:VALARM\nEND:VEVENT\n");
  EXPECT_TRUE(past->hasAlarm());
  EXPECT_FALSE(past->nextAlarmDate());
  EXPECT_FALSE(only("BEGIN:VEVENT\nUID:u\nDTSTART:20260601T100000Z\nEND:VEVENT\n")->hasAlarm());
  // A single event's alarm is found however far ahead it lies.
  auto farAhead = only(
      "BEGIN:VEVENT\nUID:u\nDTSTART:20350101T100000Z\n"
      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-PT15M\nEND:VALARM\nEND:VEVENT\n");
  EXPECT_EQ(farAhead->nextAlarmDate(), utc(2035, 1, 1, 9, 45));
}

}  // namespace
}  // namespace calendarstore::testing
