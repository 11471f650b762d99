// Reading the current event's rule as text: each keyword's answer, the end,
// an event without a rule, rules beyond what the model makes, and which rule
// the reads describe after the event's rule changed.
#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

using foundation::OptionalString;

class RecurrenceReadingTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
  }
  // Opens a new stored event with this rule.
  void openWithRule(CalRecurrenceRule::Ptr rule) {
    CalEvent::Loaded loaded;
    loaded.recurrenceRule = std::move(rule);
    loaded.occurrence = utc(2026, 6, 8, 10);
    const foundation::String uid = u"r" + foundation::fromUtf8(std::to_string(++added_));
    store_->add(event(uid, work_, utc(2026, 6, 8, 10), std::move(loaded)));
    ASSERT_EQ(context().openEventWithUID(uid, std::nullopt), 0);
  }
  int added_ = 0;
  OptionalString read(const char16_t* keyword, OptionalString end = std::nullopt) {
    return context().getEventRecurrenceRuleAttribute(foundation::String(keyword), end);
  }
};

TEST_F(RecurrenceReadingTest, FailuresBeforeAnythingIsRead) {
  EXPECT_EQ(read(u"recurrencetype"), std::nullopt);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  g_llasterror = 0;
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  EXPECT_EQ(context().getEventRecurrenceRuleAttribute(std::nullopt, std::nullopt), std::nullopt);
  EXPECT_EQ(g_llasterror, kMissingArgument);
  g_llasterror = 0;
  // Keywords are compared exactly; the caller lower-cases them.
  for (const char16_t* bad : {u"RecurrenceType", u"enddate", u"interval"}) {
    EXPECT_EQ(read(bad), std::nullopt);
    EXPECT_EQ(g_llasterror, kInvalidArgument);
    g_llasterror = 0;
  }
}

TEST_F(RecurrenceReadingTest, AnEventWithoutARuleReadsAsAnEmptyDailyRule) {
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  EXPECT_EQ(read(u"recurrencetype"), u"daily");
  EXPECT_EQ(read(u"recurrenceinterval"), u"0");
  EXPECT_EQ(read(u"firstdayoftheweek"), u"0");
  EXPECT_EQ(read(u"hasend"), u"False");
  EXPECT_EQ(read(u"recurrenceend", u"enddate"), u"never");
  for (const char16_t* list :
       {u"daysoftheweek", u"daysofthemonth", u"nthweekdaysofthemonth", u"monthsoftheyear"}) {
    EXPECT_EQ(read(list), u"") << foundation::toUtf8(list);
  }
  EXPECT_EQ(g_llasterror, 0);
  EXPECT_EQ(context().currentRecurrenceRule(), nullptr);
}

TEST_F(RecurrenceReadingTest, ListsSeparatedByCarriageReturnsWithNoneAfterTheLast) {
  openWithRule(CalRecurrenceRule::initWeeklyRecurrenceWithInterval(2, {2, 4}, nullptr));
  EXPECT_EQ(read(u"recurrencetype"), u"weekly");
  EXPECT_EQ(read(u"recurrenceinterval"), u"2");
  EXPECT_EQ(read(u"daysoftheweek"), u"2\r4");
  EXPECT_EQ(read(u"recurrenceend"), u"never");
  EXPECT_EQ(read(u"hasend"), u"False");
  EXPECT_EQ(g_llasterror, 0);
  context().releaseItems();
  openWithRule(CalRecurrenceRule::initYearlyRecurrenceWithInterval(1, 2, -1, {3, 10}, nullptr));
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"-1,2");
  EXPECT_EQ(read(u"monthsoftheyear"), u"3\r10");
  EXPECT_EQ(read(u"daysofthemonth"), u"");
}

TEST_F(RecurrenceReadingTest, TheEndByDate) {
  openWithRule(CalRecurrenceRule::initMonthlyRecurrenceWithInterval(
      1, {31, -1}, CalRecurrenceEnd::recurrenceEndWithEndDate(utc(2026, 12, 31, 10))));
  EXPECT_EQ(read(u"daysofthemonth"), u"31\r-1");
  EXPECT_EQ(read(u"hasend"), u"True");
  EXPECT_EQ(read(u"recurrenceend", u"usesenddate"), u"True");
  EXPECT_EQ(read(u"recurrenceend", u"occurrencecount"), u"0");
  // Date text in the context's zone, one hour east of GMT.
  EXPECT_EQ(read(u"recurrenceend", u"enddate"), u"2026-12-31 11:00:00 +0100");
  EXPECT_EQ(g_llasterror, 0);
  EXPECT_EQ(read(u"recurrenceend"), std::nullopt);
  EXPECT_EQ(g_llasterror, kMissingArgument);
  g_llasterror = 0;
  EXPECT_EQ(read(u"recurrenceend", u"count"), std::nullopt);
  EXPECT_EQ(g_llasterror, kInvalidArgument);
}

TEST_F(RecurrenceReadingTest, TheEndByCountHasNoDateAndNoError) {
  openWithRule(CalRecurrenceRule::initDailyRecurrenceWithInterval(
      1, CalRecurrenceEnd::recurrenceEndWithOccurrenceCount(7)));
  EXPECT_EQ(read(u"recurrenceend", u"usesenddate"), u"False");
  EXPECT_EQ(read(u"recurrenceend", u"occurrencecount"), u"7");
  EXPECT_EQ(read(u"recurrenceend", u"enddate"), std::nullopt);
  EXPECT_EQ(g_llasterror, 0);
}

TEST_F(RecurrenceReadingTest, ARuleBeyondTheModelReadsAsWhatTheModelHolds) {
  CalRecurrenceRule::Parts parts;
  parts.type = CalRecurrenceRule::kOther;
  parts.interval = 4;
  parts.firstDayOfTheWeek = 2;
  parts.nthWeekDaysOfTheMonth = {{1, 2}, {-1, 6}, {53, 9}};
  parts.sourceRule = "FREQ=HOURLY;INTERVAL=4;BYDAY=1MO,-1FR;BYSETPOS=2";
  openWithRule(CalRecurrenceRule::fromStore(parts));
  EXPECT_EQ(read(u"recurrencetype"), u"");
  EXPECT_EQ(read(u"recurrenceinterval"), u"4");
  EXPECT_EQ(read(u"firstdayoftheweek"), u"2");
  EXPECT_EQ(read(u"nthweekdaysofthemonth"), u"1,2\r-1,6\r53,9");
  EXPECT_EQ(read(u"daysoftheweek"), u"");
  EXPECT_EQ(g_llasterror, 0);
}

TEST_F(RecurrenceReadingTest, TheSlotHoldsTheRuleReadUntilTheContextEmptiesIt) {
  openWithRule(CalRecurrenceRule::initDailyRecurrenceWithInterval(
      1, CalRecurrenceEnd::recurrenceEndWithOccurrenceCount(3)));
  EXPECT_EQ(context().currentRecurrenceRule(), nullptr);
  EXPECT_EQ(read(u"hasend"), u"True");
  ASSERT_NE(context().currentRecurrenceRule(), nullptr);
  EXPECT_EQ(context().currentRecurrenceRule(), context().currentEvent()->recurrenceRule());
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  EXPECT_EQ(context().currentRecurrenceRule(), nullptr);
  EXPECT_EQ(read(u"hasend"), u"False");
}

// Adding or removing a rule empties the slot: a rule read before would
// describe the event as it no longer is.
TEST_F(RecurrenceReadingTest, ReadsAfterAChangeDescribeTheEventsNewRule) {
  openWithRule(CalRecurrenceRule::initDailyRecurrenceWithInterval(
      1, CalRecurrenceEnd::recurrenceEndWithOccurrenceCount(3)));
  EXPECT_EQ(read(u"hasend"), u"True");
  ASSERT_EQ(context().addRecurrence(u"monthly", 2, std::nullopt, std::vector{15}, 0, 0,
                                    std::nullopt, std::nullopt, 0),
            0);
  EXPECT_EQ(read(u"recurrencetype"), u"monthly");
  EXPECT_EQ(read(u"daysofthemonth"), u"15");
  EXPECT_EQ(read(u"hasend"), u"False");
  ASSERT_EQ(context().removeRecurrence(), 0);
  EXPECT_EQ(read(u"recurrenceend"), u"never");
  EXPECT_EQ(read(u"recurrenceinterval"), u"0");
  EXPECT_EQ(context().currentRecurrenceRule(), nullptr);
}

}  // namespace
}  // namespace zylo::testing
