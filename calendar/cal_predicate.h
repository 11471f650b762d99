// Search predicates: what a fetch selects, kept by the context and run
// against the store on every count and positional open.
#ifndef ZYLO_CALENDAR_CAL_PREDICATE_H_
#define ZYLO_CALENDAR_CAL_PREDICATE_H_

#include <memory>
#include <optional>
#include <vector>

#include "calendar/cal_calendar.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"

namespace zylo {

using CalendarList = std::vector<std::shared_ptr<CalCalendar>>;

// Every occurrence whose span overlaps [start, end) (a zero-length one
// counts when its start lies in the range), of the events of `calendars`,
// or of the one event `uid` when given.
struct EventPredicate {
  foundation::Date start, end;
  foundation::OptionalString uid;
  CalendarList calendars;

  static std::shared_ptr<const EventPredicate> eventPredicateWithStartDate(
      foundation::Date start, foundation::Date end, CalendarList calendars) {
    return std::make_shared<const EventPredicate>(EventPredicate{start, end, std::nullopt, std::move(calendars)});
  }
  static std::shared_ptr<const EventPredicate> eventPredicateWithStartDate(
      foundation::Date start, foundation::Date end, foundation::String uid, CalendarList calendars) {
    return std::make_shared<const EventPredicate>(EventPredicate{start, end, std::move(uid), std::move(calendars)});
  }
};

struct TaskPredicate {
  enum Kind {
    kAll,                    // every task of the calendars
    kUncompleted,            // tasks not completed
    kUncompletedDueBefore,   // not completed and due before `date`
    kCompletedSince,         // completed at or after `date`
  };
  Kind kind = kAll;
  std::optional<foundation::Date> date;
  CalendarList calendars;

  static std::shared_ptr<const TaskPredicate> taskPredicateWithCalendars(CalendarList calendars) {
    return std::make_shared<const TaskPredicate>(TaskPredicate{kAll, std::nullopt, std::move(calendars)});
  }
  static std::shared_ptr<const TaskPredicate> taskPredicateWithUncompletedTasks(CalendarList calendars) {
    return std::make_shared<const TaskPredicate>(TaskPredicate{kUncompleted, std::nullopt, std::move(calendars)});
  }
  static std::shared_ptr<const TaskPredicate> taskPredicateWithUncompletedTasksDueBefore(
      foundation::Date date, CalendarList calendars) {
    return std::make_shared<const TaskPredicate>(TaskPredicate{kUncompletedDueBefore, date, std::move(calendars)});
  }
  static std::shared_ptr<const TaskPredicate> taskPredicateWithTasksCompletedSince(
      foundation::Date date, CalendarList calendars) {
    return std::make_shared<const TaskPredicate>(TaskPredicate{kCompletedSince, date, std::move(calendars)});
  }
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_PREDICATE_H_
