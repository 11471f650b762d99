// The calendar context: the one object through which the external
// functions reach the calendar store. It remembers, from one call to the
// next, the current calendar, event, task, attendee and recurrence rule, and
// the stored event and task predicates.
//
// Operations that act answer 0 or -1, readers answer a value or none, the
// count answers -1 on failure; every failure stores its code in
// g_llasterror, which no operation ever clears.
//
// Thread contract: only the creation of the shared instance is locked; every
// other operation runs on the host's calculation thread.
#ifndef ZYLO_CALENDAR_ICAL_FUNCTIONS_H_
#define ZYLO_CALENDAR_ICAL_FUNCTIONS_H_

#include <functional>
#include <memory>

#include "calendar/cal_attendee.h"
#include "calendar/cal_calendar.h"
#include "calendar/cal_event.h"
#include "calendar/cal_predicate.h"
#include "calendar/cal_recurrence_rule.h"
#include "calendar/cal_task.h"
#include "calendar/calendar_store.h"
#include "platform/foundation/string.h"
#include "platform/foundation/time_zone.h"

namespace zylo {

// What the context needs from outside, asked anew on every use so that the
// store and zone in force are always the current ones.
struct ContextEnvironment {
  std::function<std::shared_ptr<CalendarStore>()> defaultCalendarStore;
  std::function<std::shared_ptr<const foundation::TimeZone>()> defaultTimeZone;
};

class iCalFunctions {
 public:
  // The shared instance, created on the first call with `environment`;
  // later calls answer the same instance and ignore their argument.
  static std::shared_ptr<iCalFunctions> sharedICalFunctions(ContextEnvironment environment);

  // Only sharedICalFunctions can make a context.
  class Key {
    friend class iCalFunctions;
    Key() = default;
  };
  iCalFunctions(Key, ContextEnvironment environment) : environment_(std::move(environment)) {}
  iCalFunctions(const iCalFunctions&) = delete;
  iCalFunctions& operator=(const iCalFunctions&) = delete;

  // Empties the calendar, task, event, attendee and recurrence rule slots
  // and both predicates; the last-error text stays.
  void releaseItems();
  int32_t resetLastErrorString();
  const foundation::OptionalString& getLastErrorString() const { return lastErrorString; }

 private:
  ContextEnvironment environment_;

  foundation::OptionalString lastErrorString;
  std::shared_ptr<CalCalendar> m_calendar;
  std::shared_ptr<CalEvent> m_event;
  std::shared_ptr<CalTask> m_task;
  std::shared_ptr<const CalAttendee> m_attendee;
  CalRecurrenceRule::Ptr m_recurrencerule;
  std::shared_ptr<const TaskPredicate> m_taskPredicate;
  std::shared_ptr<const EventPredicate> m_eventPredicate;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_ICAL_FUNCTIONS_H_
