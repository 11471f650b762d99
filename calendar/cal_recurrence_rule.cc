#include "calendar/cal_recurrence_rule.h"

#include <algorithm>

namespace zylo {
namespace {

bool allIn(const std::vector<int>& v, bool (*ok)(int)) { return std::all_of(v.begin(), v.end(), ok); }
bool isWeekday(int d) { return d >= 1 && d <= 7; }
bool isMonthDay(int d) { return (d >= 1 && d <= 31) || (d >= -31 && d <= -1); }
bool isMonth(int m) { return m >= 1 && m <= 12; }
bool isWeekOfMonth(int w) { return w >= -1 && w <= 5; }

CalRecurrenceRule::Parts basic(int type, int interval, CalRecurrenceRule::End end) {
  CalRecurrenceRule::Parts p;
  p.type = type;
  p.interval = interval;
  p.end = std::move(end);
  return p;
}

}  // namespace

CalRecurrenceRule::Ptr CalRecurrenceRule::make(Parts p) {
  if (p.interval < 1) return nullptr;
  if (!allIn(p.daysOfTheWeek, isWeekday) || !allIn(p.daysOfTheMonth, isMonthDay) ||
      !allIn(p.monthsOfTheYear, isMonth))
    return nullptr;
  for (const CalNthWeekDay& n : p.nthWeekDaysOfTheMonth)
    if (!isWeekday(n.dayOfTheWeek) || !isWeekOfMonth(n.weekNumber)) return nullptr;
  return std::make_shared<const CalRecurrenceRule>(Key(), std::move(p));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::fromStore(Parts parts) {
  return std::make_shared<const CalRecurrenceRule>(Key(), std::move(parts));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initDailyRecurrenceWithInterval(int interval, End end) {
  return make(basic(kDaily, interval, std::move(end)));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initWeeklyRecurrenceWithInterval(int interval, End end) {
  return make(basic(kWeekly, interval, std::move(end)));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initWeeklyRecurrenceWithInterval(
    int interval, const std::vector<int>& daysOfTheWeek, End end) {
  Parts p = basic(kWeekly, interval, std::move(end));
  p.daysOfTheWeek = daysOfTheWeek;
  return make(std::move(p));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initMonthlyRecurrenceWithInterval(int interval, End end) {
  return make(basic(kMonthly, interval, std::move(end)));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initMonthlyRecurrenceWithInterval(
    int interval, const std::vector<int>& daysOfTheMonth, End end) {
  Parts p = basic(kMonthly, interval, std::move(end));
  p.daysOfTheMonth = daysOfTheMonth;
  return make(std::move(p));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initMonthlyRecurrenceWithInterval(
    int interval, int dayOfTheWeek, int weekOfTheMonth, End end) {
  Parts p = basic(kMonthly, interval, std::move(end));
  p.nthWeekDaysOfTheMonth = {{weekOfTheMonth, dayOfTheWeek}};
  return make(std::move(p));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initYearlyRecurrenceWithInterval(int interval, End end) {
  return make(basic(kYearly, interval, std::move(end)));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initYearlyRecurrenceWithInterval(
    int interval, const std::vector<int>& monthsOfTheYear, End end) {
  Parts p = basic(kYearly, interval, std::move(end));
  p.monthsOfTheYear = monthsOfTheYear;
  return make(std::move(p));
}

CalRecurrenceRule::Ptr CalRecurrenceRule::initYearlyRecurrenceWithInterval(
    int interval, int dayOfTheWeek, int weekOfTheMonth, const std::vector<int>& monthsOfTheYear,
    End end) {
  Parts p = basic(kYearly, interval, std::move(end));
  p.monthsOfTheYear = monthsOfTheYear;
  p.nthWeekDaysOfTheMonth = {{weekOfTheMonth, dayOfTheWeek}};
  return make(std::move(p));
}

}  // namespace zylo
