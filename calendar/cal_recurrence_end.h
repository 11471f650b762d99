// How a repetition ends: on a date or after a number of occurrences.
#ifndef ZYLO_CALENDAR_CAL_RECURRENCE_END_H_
#define ZYLO_CALENDAR_CAL_RECURRENCE_END_H_

#include <memory>
#include <optional>

#include "platform/foundation/date.h"

namespace zylo {

class CalRecurrenceEnd {
 public:
  static std::shared_ptr<const CalRecurrenceEnd> recurrenceEndWithEndDate(foundation::Date date) {
    return std::make_shared<const CalRecurrenceEnd>(Key(), date, 0);
  }
  // None for a count below 1.
  static std::shared_ptr<const CalRecurrenceEnd> recurrenceEndWithOccurrenceCount(int count) {
    if (count < 1) return nullptr;
    return std::make_shared<const CalRecurrenceEnd>(Key(), std::nullopt, count);
  }

  bool usesEndDate() const { return endDate_.has_value(); }
  int occurrenceCount() const { return count_; }  // 0 for an end by date
  const std::optional<foundation::Date>& endDate() const { return endDate_; }

  // Only the two factories make an end.
  class Key {
    friend class CalRecurrenceEnd;
    Key() = default;
  };
  CalRecurrenceEnd(Key, std::optional<foundation::Date> date, int count)
      : endDate_(date), count_(count) {}

 private:
  std::optional<foundation::Date> endDate_;
  int count_;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_RECURRENCE_END_H_
