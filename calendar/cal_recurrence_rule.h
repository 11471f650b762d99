// A recurrence rule: how an event repeats.
//
// Numbering: days of the week 1 = Sunday to 7 = Saturday; week of the month
// 1 to 5, -1 the last, 0 every such weekday of the month; days of the month
// 1 to 31 and -1 to -31; months 1 to 12. The initializers answer null for an
// interval below 1 or any number outside those ranges.
#ifndef ZYLO_CALENDAR_CAL_RECURRENCE_RULE_H_
#define ZYLO_CALENDAR_CAL_RECURRENCE_RULE_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calendar/cal_recurrence_end.h"

namespace zylo {

struct CalNthWeekDay {
  int weekNumber = 0;    // -1, 0, 1..5
  int dayOfTheWeek = 0;  // 1..7
  friend bool operator==(const CalNthWeekDay&, const CalNthWeekDay&) = default;
};

// Immutable once made.
class CalRecurrenceRule {
 public:
  enum Type { kDaily = 0, kWeekly = 1, kMonthly = 2, kYearly = 3, kOther = 4 };
  using Ptr = std::shared_ptr<const CalRecurrenceRule>;
  using End = std::shared_ptr<const CalRecurrenceEnd>;

  static Ptr initDailyRecurrenceWithInterval(int interval, End end);
  static Ptr initWeeklyRecurrenceWithInterval(int interval, End end);
  static Ptr initWeeklyRecurrenceWithInterval(int interval, const std::vector<int>& daysOfTheWeek,
                                              End end);
  static Ptr initMonthlyRecurrenceWithInterval(int interval, End end);
  static Ptr initMonthlyRecurrenceWithInterval(int interval, const std::vector<int>& daysOfTheMonth,
                                               End end);
  static Ptr initMonthlyRecurrenceWithInterval(int interval, int dayOfTheWeek, int weekOfTheMonth,
                                               End end);
  static Ptr initYearlyRecurrenceWithInterval(int interval, End end);
  static Ptr initYearlyRecurrenceWithInterval(int interval, const std::vector<int>& monthsOfTheYear,
                                              End end);
  static Ptr initYearlyRecurrenceWithInterval(int interval, int dayOfTheWeek, int weekOfTheMonth,
                                              const std::vector<int>& monthsOfTheYear, End end);

  // The parts of a rule the store read from a file, unchecked: a rule
  // written by another program may hold more than the initializers make.
  // `sourceRule` is its RRULE text, kept so the store can write it back
  // unchanged; type kOther marks a frequency the model has no name for.
  struct Parts {
    int type = kDaily;
    int interval = 1;
    int firstDayOfTheWeek = 0;  // 0 when the rule names none
    End end;
    std::vector<int> daysOfTheWeek, daysOfTheMonth, monthsOfTheYear;
    std::vector<CalNthWeekDay> nthWeekDaysOfTheMonth;
    std::optional<std::string> sourceRule;
  };
  static Ptr fromStore(Parts parts);

  int recurrenceType() const { return parts_.type; }
  int recurrenceInterval() const { return parts_.interval; }
  int firstDayOfTheWeek() const { return parts_.firstDayOfTheWeek; }
  const End& recurrenceEnd() const { return parts_.end; }
  const std::vector<int>& daysOfTheWeek() const { return parts_.daysOfTheWeek; }
  const std::vector<int>& daysOfTheMonth() const { return parts_.daysOfTheMonth; }
  const std::vector<int>& monthsOfTheYear() const { return parts_.monthsOfTheYear; }
  const std::vector<CalNthWeekDay>& nthWeekDaysOfTheMonth() const {
    return parts_.nthWeekDaysOfTheMonth;
  }
  const std::optional<std::string>& sourceRule() const { return parts_.sourceRule; }

  // Only the initializers and fromStore make a rule.
  class Key {
    friend class CalRecurrenceRule;
    Key() = default;
  };
  CalRecurrenceRule(Key, Parts parts) : parts_(std::move(parts)) {}

 private:
  static Ptr make(Parts parts);  // checks the numbering; null when out of range
  Parts parts_;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_RECURRENCE_RULE_H_
