// Making events repeat through the registered functions over the vdir
// store: the number list and weekday pair texts, ends, failures, reading the
// rule back, rules other programs wrote, and the rule a save writes.
#include <fstream>
#include <iterator>

#include "tests/functions/function_fixture.h"

namespace zylo::testing {
namespace {

namespace fs = std::filesystem;

class RecurrenceFunctionsTest : public FunctionTest {
 protected:
  // Zylo_AddRecurrence with empty texts wherever a test gives none.
  struct Args {
    std::u16string frequency = {};
    int64_t interval = 1;
    std::u16string daysOfTheWeek = {}, daysOfTheMonth = {}, weekday = {}, months = {};
    std::optional<fmxhost::Value> endDate = std::nullopt;
    int64_t count = 0;
  };
  fmxhost::Value add(const Args& a) {
    return call(u"Zylo_AddRecurrence",
                {text(a.frequency), number(a.interval), text(a.daysOfTheWeek),
                 text(a.daysOfTheMonth), text(a.weekday), text(a.months),
                 a.endDate.value_or(text(u"")), a.count ? number(a.count) : text(u"")});
  }
  std::u16string read(const char16_t* keyword) {
    return textOf(call(u"Zylo_GetProperty", {text(u"recurrencerule"), text(keyword)}));
  }
  fmxhost::Value readEnd(const char16_t* keyword) {
    return call(u"Zylo_GetProperty",
                {text(u"recurrencerule"), text(u"recurrenceend"), text(keyword)});
  }
  void open(const char16_t* uid) {
    expectNumber(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(uid)}), 0);
  }
  void expectError(const fmxhost::Value& v, int32_t code) {
    EXPECT_EQ(textOf(v), u"!!ERROR!!");
    EXPECT_EQ(lastCode(), code);
  }
  // An event file in Work, as another program wrote it.
  void writeEvent(const std::string& uid, const std::string& rrule) {
    std::ofstream(root_ / "work" / (uid + ".ics"))
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\nUID:" << uid
        << "\r\nDTSTAMP:20260501T080000Z\r\nDTSTART:20260601T080000Z\r\n"
           "DTEND:20260601T090000Z\r\nRRULE:"
        << rrule << "\r\nSUMMARY:" << uid << "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  }
  std::string fileText(const std::string& name) {
    std::ifstream in(root_ / "work" / name);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

TEST_F(RecurrenceFunctionsTest, AWeekdayPairGivesTheNthWeekdayShape) {
  open(u"review");
  expectNumber(add({.frequency = u"monthly", .weekday = u"2,3"}), 0);
  EXPECT_EQ(read(u"recurrencetype"), u"monthly");
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"2,3");
  EXPECT_EQ(read(u"recurrenceend"), u"never");
  // What a read answers can be passed back unchanged; white space and a
  // third part do not matter.
  expectNumber(add({.frequency = u"Yearly", .weekday = u" -1, 6,9", .months = u"3"}), 0);
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"-1,6");
  EXPECT_EQ(read(u"monthsoftheyear"), u"3");
}

TEST_F(RecurrenceFunctionsTest, APairNeedsAComma) {
  open(u"standup");
  expectError(add({.frequency = u"monthly", .weekday = u"3"}), -4);
  EXPECT_EQ(read(u"recurrencetype"), u"weekly");
  // Refused before the system is looked at.
  startOnNewerSystem();
  expectError(add({.frequency = u"monthly", .weekday = u"-1"}), -4);
  expectError(add({.frequency = u"monthly", .weekday = u"-1,2"}), 9015);
  expectError(call(u"Zylo_RemoveRecurrence"), 9015);
}

TEST_F(RecurrenceFunctionsTest, NumberLists) {
  open(u"review");
  expectNumber(add({.frequency = u"weekly", .daysOfTheWeek = u"2\r4"}), 0);
  EXPECT_EQ(read(u"daysoftheweek"), u"2\r4");
  // Each part's leading integer after white space, with its sign.
  expectNumber(add({.frequency = u"monthly", .daysOfTheMonth = u" 3rd\r+15\r-1"}), 0);
  EXPECT_EQ(read(u"daysofthemonth"), u"3\r15\r-1");
  // A trailing carriage return adds a day 0, which no rule takes; the rule
  // before stays.
  expectError(add({.frequency = u"weekly", .daysOfTheWeek = u"2\r4\r"}), 9011);
  EXPECT_EQ(lastError(), u"Unable to create recurrence rule.");
  EXPECT_EQ(read(u"daysofthemonth"), u"3\r15\r-1");
  // An empty interval is 0, which no rule takes either.
  expectError(call(u"Zylo_AddRecurrence", {text(u"daily"), text(u""), text(u""), text(u""),
                                           text(u""), text(u""), text(u""), text(u"")}),
              9011);
}

TEST_F(RecurrenceFunctionsTest, Ends) {
  open(u"review");
  expectNumber(add({.frequency = u"daily", .count = 10}), 0);
  EXPECT_EQ(textOf(readEnd(u"occurrencecount")), u"10");
  EXPECT_EQ(textOf(readEnd(u"usesenddate")), u"False");
  expectEmpty(readEnd(u"enddate"));
  EXPECT_EQ(lastCode(), 0);
  expectNumber(add({.frequency = u"daily", .endDate = timestamp(2026, 7, 31, 14, 0, 0),
                    .count = 10}),
               0);
  EXPECT_EQ(textOf(readEnd(u"usesenddate")), u"True");
  expectTimestamp(readEnd(u"EndDate"), 2026, 7, 31, 14, 0, 0);
  expectNumber(add({.frequency = u"daily", .count = -2}), 0);
  EXPECT_EQ(read(u"hasend"), u"False");
}

TEST_F(RecurrenceFunctionsTest, FrequencyBeforeTheCurrentEvent) {
  expectError(add({.frequency = u"fortnightly"}), 9006);
  expectError(add({.frequency = u""}), 9006);
  expectError(add({.frequency = u"weekly"}), 9000);
  expectError(call(u"Zylo_RemoveRecurrence"), 9000);
  expectError(call(u"Zylo_GetProperty", {text(u"recurrencerule"), text(u"recurrencetype")}),
              9000);
}

TEST_F(RecurrenceFunctionsTest, RemovingAndWhatReadsAnswerAfterwards) {
  open(u"review");
  expectNumber(call(u"Zylo_RemoveRecurrence"), 0);
  open(u"standup");
  EXPECT_EQ(read(u"hasend"), u"True");
  expectNumber(call(u"Zylo_RemoveRecurrence"), 0);
  // The reads describe the event as it now is, not the rule read before.
  EXPECT_EQ(read(u"hasend"), u"False");
  EXPECT_EQ(read(u"recurrenceend"), u"never");
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"event"), text(u"isrecurring")})), u"False");
}

TEST_F(RecurrenceFunctionsTest, KeywordsInAnyCase) {
  open(u"standup");
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"RecurrenceRule"), text(u"RecurrenceType")})),
            u"weekly");
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"recurrencerule"), text(u"RECURRENCEEND"),
                                              text(u"OccurrenceCount")})),
            u"10");
  expectError(readEnd(u"count"), 9006);
  expectError(call(u"Zylo_GetProperty", {text(u"recurrencerule"), text(u"recurrenceend")}),
              9005);
}

TEST_F(RecurrenceFunctionsTest, RulesBeyondTheModelAnswerWhatItHolds) {
  writeEvent("hourly", "FREQ=HOURLY;INTERVAL=4;COUNT=3");
  writeEvent("lastworkday", "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1");
  writeEvent("twodays", "FREQ=MONTHLY;BYDAY=1MO,-1FR;COUNT=6");
  writeEvent("weekstart", "FREQ=WEEKLY;WKST=SU;BYDAY=TU,TH;UNTIL=20260701T000000Z");
  const std::vector<const char16_t*> keywords = {
      u"firstdayoftheweek", u"hasend",          u"recurrencetype",
      u"recurrenceinterval", u"daysoftheweek",  u"daysofthemonth",
      u"nthweekdaysofthemonth", u"monthsoftheyear"};
  for (const char16_t* uid : {u"hourly", u"lastworkday", u"twodays", u"weekstart"}) {
    open(uid);
    for (const char16_t* k : keywords) read(k);
    for (const char16_t* k : {u"usesenddate", u"occurrencecount", u"enddate"}) readEnd(k);
    EXPECT_EQ(lastCode(), 0) << foundation::toUtf8(uid);
  }
  open(u"hourly");
  EXPECT_EQ(read(u"recurrencetype"), u"");
  EXPECT_EQ(read(u"recurrenceinterval"), u"4");
  EXPECT_EQ(textOf(readEnd(u"occurrencecount")), u"3");
  // khal's "last weekday of the month": monthly, its BYSETPOS beyond the model.
  open(u"lastworkday");
  EXPECT_EQ(read(u"recurrencetype"), u"monthly");
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"0,2\r0,3\r0,4\r0,5\r0,6");
  open(u"twodays");
  EXPECT_EQ(read(u"recurrencetype"), u"monthly");
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"1,2\r-1,6");
  open(u"weekstart");
  EXPECT_EQ(read(u"firstdayoftheweek"), u"1");
  EXPECT_EQ(read(u"daysoftheweek"), u"3\r5");
  expectTimestamp(readEnd(u"enddate"), 2026, 7, 1, 2, 0, 0);
}

TEST_F(RecurrenceFunctionsTest, SavingWritesTheRuleAndSingleAgainRemovesIt) {
  open(u"review");
  expectNumber(add({.frequency = u"monthly", .weekday = u"1,4",
                    .endDate = timestamp(2026, 12, 31, 0, 0, 0)}),
               0);
  expectNumber(call(u"Zylo_SaveItem", {text(u"event"), text(u"all")}), 0);
  // A date as the end: the series runs through 31 December, in Berlin.
  EXPECT_NE(fileText("review.ics").find("RRULE:FREQ=MONTHLY;UNTIL=20261231T225959Z;BYDAY=1WE"),
            std::string::npos)
      << fileText("review.ics");
  // Reopened from the store, it reads the same and repeats.
  open(u"review");
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"1,4");
  expectTimestamp(readEnd(u"enddate"), 2026, 12, 31, 0, 0, 0);
  expectNumber(call(u"Zylo_EventsFetch", {timestamp(2026, 6, 1, 0, 0, 0),
                                          timestamp(2027, 6, 1, 0, 0, 0), text(u"Work"),
                                          text(u"review")}),
               0);
  // The first Wednesday of June to December.
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 7);

  open(u"review");
  expectNumber(call(u"Zylo_RemoveRecurrence"), 0);
  expectNumber(call(u"Zylo_SaveItem", {text(u"event"), text(u"all")}), 0);
  EXPECT_EQ(fileText("review.ics").find("RRULE:FREQ=MONTHLY"), std::string::npos);
  open(u"review");
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"event"), text(u"isrecurring")})), u"False");
}

TEST_F(RecurrenceFunctionsTest, ARuleChangeSavedForOneOccurrenceIsRefused) {
  expectNumber(call(u"Zylo_OpenItemWithUID",
                    {text(u"event"), text(u"standup"), timestamp(2026, 6, 8, 9, 30, 0)}),
               0);
  expectNumber(call(u"Zylo_RemoveRecurrence"), 0);
  // A rule belongs to the whole series: saved for this occurrence alone it
  // would be dropped while the save reported success.
  expectError(call(u"Zylo_SaveItem", {text(u"event"), text(u"this")}), 9998);
  EXPECT_NE(fileText("standup.ics").find("RRULE:FREQ=WEEKLY;COUNT=10"), std::string::npos);
  EXPECT_EQ(fileText("standup.ics").find("RECURRENCE-ID"), std::string::npos);
}

}  // namespace
}  // namespace zylo::testing
