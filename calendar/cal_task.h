// A task (a to-do).
#ifndef ZYLO_CALENDAR_CAL_TASK_H_
#define ZYLO_CALENDAR_CAL_TASK_H_

#include <memory>
#include <optional>

#include "calendar/cal_calendar_item.h"

namespace zylo {

class CalTask : public CalCalendarItem {
 public:
  // Priorities as the store and iCalendar number them: a higher priority
  // has the smaller number; other values written by other programs stay.
  enum Priority { kNone = 0, kHigh = 1, kMedium = 5, kLow = 9 };

  // A new task that belongs to no calendar yet.
  static std::shared_ptr<CalTask> task() { return std::make_shared<CalTask>(); }

  const std::optional<foundation::Date>& dueDate() const { return dueDate_; }
  const std::optional<foundation::Date>& completedDate() const { return completedDate_; }
  bool isCompleted() const { return isCompleted_; }
  int priority() const { return priority_; }

  void setDueDate(std::optional<foundation::Date> d) { dueDate_ = d; changed_ |= kDueDate; }
  void setCompletedDate(std::optional<foundation::Date> d) { completedDate_ = d; changed_ |= kCompletedDate; }
  void setIsCompleted(bool v) { isCompleted_ = v; changed_ |= kIsCompleted; }
  void setPriority(int p) { priority_ = p; changed_ |= kPriority; }

  // For the store: what it read, without marking anything changed.
  void loadFromStore(std::optional<foundation::Date> due, std::optional<foundation::Date> completed,
                     bool isCompleted, int priority) {
    dueDate_ = due;
    completedDate_ = completed;
    isCompleted_ = isCompleted;
    priority_ = priority;
  }

 private:
  std::optional<foundation::Date> dueDate_, completedDate_;
  bool isCompleted_ = false;
  int priority_ = kNone;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_TASK_H_
