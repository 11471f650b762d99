// Giving the current event a rule and taking it off: the order of the
// checks, which shape the arguments choose, and how the end is made.
#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

using IntList = std::optional<std::vector<int32_t>>;

class RecurrenceOperationsTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
    ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  }

  // All pattern parts absent unless a test sets them.
  struct Args {
    foundation::OptionalString frequency = std::nullopt;
    int32_t interval = 1;
    IntList dotw = std::nullopt, dotm = std::nullopt;
    int32_t dow = 0, weekOfTheMonth = 0;
    IntList months = std::nullopt;
    std::optional<foundation::Date> endDate = std::nullopt;
    int32_t count = 0;
  };
  int32_t add(const Args& a) {
    return context().addRecurrence(a.frequency, a.interval, a.dotw, a.dotm, a.dow,
                                   a.weekOfTheMonth, a.months, a.endDate, a.count);
  }
  const CalRecurrenceRule::Ptr& rule() { return context().currentEvent()->recurrenceRule(); }
};

TEST_F(RecurrenceOperationsTest, FrequencyIsCheckedBeforeTheCurrentEvent) {
  context().releaseItems();
  EXPECT_EQ(add({.frequency = u"hourly"}), -1);
  EXPECT_EQ(g_llasterror, kInvalidArgument);
  g_llasterror = 0;
  EXPECT_EQ(add({.frequency = u"weekly"}), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  g_llasterror = 0;
  EXPECT_EQ(context().removeRecurrence(), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
}

TEST_F(RecurrenceOperationsTest, FrequencyInAnyCaseButExactlyTheWord) {
  EXPECT_EQ(add({.frequency = u"WeEkLy"}), 0);
  EXPECT_EQ(rule()->recurrenceType(), CalRecurrenceRule::kWeekly);
  for (const foundation::OptionalString& bad :
       {foundation::OptionalString(), foundation::OptionalString(u""),
        foundation::OptionalString(u" daily"), foundation::OptionalString(u"yearly ")}) {
    g_llasterror = 0;
    EXPECT_EQ(add({.frequency = bad}), -1);
    EXPECT_EQ(g_llasterror, kInvalidArgument);
  }
  // A refused add keeps the rule the event had.
  EXPECT_EQ(rule()->recurrenceType(), CalRecurrenceRule::kWeekly);
}

TEST_F(RecurrenceOperationsTest, PartsOutsideTheFrequencyAreIgnored) {
  const Args all{.dotw = std::vector{2}, .dotm = std::vector{3}, .dow = 4, .weekOfTheMonth = 1,
                 .months = std::vector{5}};
  Args daily = all;
  daily.frequency = u"daily";
  ASSERT_EQ(add(daily), 0);
  EXPECT_TRUE(rule()->daysOfTheWeek().empty());
  EXPECT_TRUE(rule()->nthWeekDaysOfTheMonth().empty());
  Args weekly = all;
  weekly.frequency = u"weekly";
  ASSERT_EQ(add(weekly), 0);
  EXPECT_EQ(rule()->daysOfTheWeek(), std::vector{2});
  EXPECT_TRUE(rule()->daysOfTheMonth().empty());
  EXPECT_TRUE(rule()->monthsOfTheYear().empty());
  EXPECT_TRUE(rule()->nthWeekDaysOfTheMonth().empty());
}

TEST_F(RecurrenceOperationsTest, APresentEmptyDaysOfTheWeekListIsUsed) {
  ASSERT_EQ(add({.frequency = u"weekly", .dotw = std::vector<int32_t>{}}), 0);
  EXPECT_EQ(rule()->recurrenceType(), CalRecurrenceRule::kWeekly);
  EXPECT_TRUE(rule()->daysOfTheWeek().empty());
}

TEST_F(RecurrenceOperationsTest, MonthlyShapes) {
  // The nth weekday wins over a list of days; week 0 and -1 pass the test.
  ASSERT_EQ(add({.frequency = u"monthly", .dotm = std::vector{5}, .dow = 3,
                 .weekOfTheMonth = -1}), 0);
  EXPECT_EQ(rule()->nthWeekDaysOfTheMonth(), (std::vector<CalNthWeekDay>{{-1, 3}}));
  EXPECT_TRUE(rule()->daysOfTheMonth().empty());
  ASSERT_EQ(add({.frequency = u"monthly", .dow = 5, .weekOfTheMonth = 0}), 0);
  EXPECT_EQ(rule()->nthWeekDaysOfTheMonth(), (std::vector<CalNthWeekDay>{{0, 5}}));
  // Below -1 the week does not count, and the list is used.
  ASSERT_EQ(add({.frequency = u"monthly", .dotm = std::vector{5, -1}, .dow = 3,
                 .weekOfTheMonth = -2}), 0);
  EXPECT_EQ(rule()->daysOfTheMonth(), (std::vector{5, -1}));
  EXPECT_TRUE(rule()->nthWeekDaysOfTheMonth().empty());
  // No weekday: the list, or else the plain shape.
  ASSERT_EQ(add({.frequency = u"monthly", .dotm = std::vector{31}, .dow = 0,
                 .weekOfTheMonth = 2}), 0);
  EXPECT_EQ(rule()->daysOfTheMonth(), std::vector{31});
  ASSERT_EQ(add({.frequency = u"monthly", .dow = 3, .weekOfTheMonth = -2}), 0);
  EXPECT_EQ(rule()->recurrenceType(), CalRecurrenceRule::kMonthly);
  EXPECT_TRUE(rule()->daysOfTheMonth().empty());
  EXPECT_TRUE(rule()->nthWeekDaysOfTheMonth().empty());
}

TEST_F(RecurrenceOperationsTest, YearlyShapes) {
  // A weekday without months is the plain yearly rule.
  ASSERT_EQ(add({.frequency = u"yearly", .dow = 2, .weekOfTheMonth = 1}), 0);
  EXPECT_EQ(rule()->recurrenceType(), CalRecurrenceRule::kYearly);
  EXPECT_TRUE(rule()->nthWeekDaysOfTheMonth().empty());
  ASSERT_EQ(add({.frequency = u"yearly", .dotm = std::vector{4}, .dow = 2, .weekOfTheMonth = 1,
                 .months = std::vector{3, 10}}), 0);
  EXPECT_EQ(rule()->nthWeekDaysOfTheMonth(), (std::vector<CalNthWeekDay>{{1, 2}}));
  EXPECT_EQ(rule()->monthsOfTheYear(), (std::vector{3, 10}));
  EXPECT_TRUE(rule()->daysOfTheMonth().empty());
  ASSERT_EQ(add({.frequency = u"yearly", .dow = 2, .weekOfTheMonth = -3,
                 .months = std::vector{2}}), 0);
  EXPECT_EQ(rule()->monthsOfTheYear(), std::vector{2});
  EXPECT_TRUE(rule()->nthWeekDaysOfTheMonth().empty());
}

TEST_F(RecurrenceOperationsTest, NumbersTheRuleRefusesLeaveTheOldRule) {
  ASSERT_EQ(add({.frequency = u"daily", .interval = 2}), 0);
  const CalRecurrenceRule::Ptr before = rule();
  for (const Args& bad : {Args{.frequency = u"daily", .interval = 0},
                          Args{.frequency = u"weekly", .dotw = std::vector{2, 8}},
                          Args{.frequency = u"monthly", .dotm = std::vector{0}},
                          Args{.frequency = u"monthly", .dow = 8, .weekOfTheMonth = 1},
                          Args{.frequency = u"monthly", .dow = 1, .weekOfTheMonth = 6},
                          Args{.frequency = u"yearly", .months = std::vector{13}}}) {
    g_llasterror = 0;
    EXPECT_EQ(add(bad), -1);
    EXPECT_EQ(g_llasterror, kNoRecurrenceRule);
  }
  EXPECT_EQ(rule(), before);
}

TEST_F(RecurrenceOperationsTest, TheEnd) {
  const foundation::Date last = utc(2026, 7, 1, 10);
  ASSERT_EQ(add({.frequency = u"daily", .endDate = last, .count = 5}), 0);
  ASSERT_NE(rule()->recurrenceEnd(), nullptr);
  EXPECT_TRUE(rule()->recurrenceEnd()->usesEndDate());
  EXPECT_EQ(rule()->recurrenceEnd()->endDate(), last);
  ASSERT_EQ(add({.frequency = u"daily", .count = 5}), 0);
  ASSERT_NE(rule()->recurrenceEnd(), nullptr);
  EXPECT_EQ(rule()->recurrenceEnd()->occurrenceCount(), 5);
  for (int32_t none : {0, -4}) {
    ASSERT_EQ(add({.frequency = u"daily", .count = none}), 0);
    EXPECT_EQ(rule()->recurrenceEnd(), nullptr);
  }
}

TEST_F(RecurrenceOperationsTest, ChangesStayInMemoryUntilSaved) {
  ASSERT_EQ(add({.frequency = u"weekly"}), 0);
  EXPECT_TRUE(context().currentEvent()->changedFields() & CalCalendarItem::kRecurrenceRule);
  EXPECT_TRUE(store_->writes.empty());
  EXPECT_EQ(store_->eventWithUID(u"e1", std::nullopt)->recurrenceRule(), nullptr);
}

TEST_F(RecurrenceOperationsTest, RemovingMakesTheEventSingle) {
  // An event without a rule is fine too.
  EXPECT_EQ(context().removeRecurrence(), 0);
  ASSERT_EQ(add({.frequency = u"monthly"}), 0);
  EXPECT_EQ(context().removeRecurrence(), 0);
  EXPECT_EQ(rule(), nullptr);
  EXPECT_EQ(g_llasterror, 0);
}

}  // namespace
}  // namespace zylo::testing
