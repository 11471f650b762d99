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

  // What is current, for callers that look without changing anything.
  const std::shared_ptr<CalCalendar>& currentCalendar() const { return m_calendar; }
  const std::shared_ptr<CalEvent>& currentEvent() const { return m_event; }
  const std::shared_ptr<CalTask>& currentTask() const { return m_task; }
  const std::shared_ptr<const CalAttendee>& currentAttendee() const { return m_attendee; }
  const CalRecurrenceRule::Ptr& currentRecurrenceRule() const { return m_recurrencerule; }
  const std::shared_ptr<const EventPredicate>& eventPredicate() const { return m_eventPredicate; }
  const std::shared_ptr<const TaskPredicate>& taskPredicate() const { return m_taskPredicate; }

  // Navigation. Keywords are compared exactly; positions count from 1 into
  // the list the store gives at the time of the call. Opens by position keep
  // the stored predicates; every other open starts with releaseItems.
  //
  // The count of "calendar", "event", "task" or "attendee"; -1 on failure,
  // and -1 without a code for any other keyword.
  int32_t getObjectCount(const foundation::String& keyword);
  // Titles separated by line breaks, or "all"; none given means the current
  // calendar, else all. None with 9013 when a title names no calendar.
  std::optional<CalendarList> calendarArrayFromString(const foundation::OptionalString& text);
  // The first calendar in store order with exactly this title; none with 9001.
  std::shared_ptr<CalCalendar> getCalendarWithTitle(const foundation::String& title);
  int32_t openCalendarAt(int32_t position);
  int32_t openCalendarWithUID(const foundation::String& uid);
  int32_t openCalendarWithTitle(const foundation::String& title);
  int32_t openEventWithUID(const foundation::String& uid,
                           std::optional<foundation::Date> occurrence);
  int32_t openEventAt(int32_t position);
  int32_t openTaskWithUID(const foundation::String& uid);
  int32_t openTaskAt(int32_t position);
  int32_t openAttendeeAt(int32_t position);

  // Fetching: empties the context, then stores the predicate that later
  // counts and positional opens run against the store.
  int32_t fetchEventsWithStartDate(foundation::Date start, foundation::Date end,
                                   const foundation::OptionalString& uid,
                                   const foundation::OptionalString& calendars);
  // Status "incomplete(d)" or "complete(d)" in any letter case, or none for
  // every task; a completed status needs a date.
  int32_t fetchTasks(const foundation::OptionalString& calendars,
                     const foundation::OptionalString& status,
                     std::optional<foundation::Date> date);

  // Reading one property of the current item, named by a lower-case keyword.
  // Dates come back as date text in the default zone, truth values as
  // "True" or "False"; none is a normal answer for an empty property. The
  // position and identifier are accepted for the callers' sake and unused.
  foundation::OptionalString getCalendarAttribute(const foundation::OptionalString& keyword,
                                                  int32_t at,
                                                  const foundation::OptionalString& uid);
  foundation::OptionalString getEventAttribute(const foundation::OptionalString& keyword,
                                               int32_t at, const foundation::OptionalString& uid);
  foundation::OptionalString getTaskAttribute(const foundation::OptionalString& keyword, int32_t at,
                                              const foundation::OptionalString& uid);
  foundation::OptionalString getAttendeeAttribute(const foundation::OptionalString& keyword,
                                                  int32_t at,
                                                  const foundation::OptionalString& uid);
  // What events and tasks share; 9006 for a keyword it does not know.
  foundation::OptionalString getCalendarItemAttribute(const foundation::String& keyword,
                                                      const CalCalendarItem& item);

 private:
  // The store in force; throws CalendarStoreException when there is none.
  std::shared_ptr<CalendarStore> store();
  // The default zone in force, in which date texts are written (GMT when
  // the environment gives none).
  std::shared_ptr<const foundation::TimeZone> zone();
  // Records a store exception: 9999, with its reason as the last-error text.
  void noteStoreException(const CalendarStoreException& e);

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
