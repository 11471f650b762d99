// The calendar context: the one object through which the external
// functions reach the calendar store. It remembers, from one call to the
// next, the current calendar, event, task, attendee and recurrence rule, and
// the stored event and task predicates.
//
// Operations that act answer 0 or -1, readers answer a value or none, the
// count answers -1 on failure; every failure stores its code in
// g_llasterror, which no operation ever clears.
//
// Thread contract: each session of the host has its own context, used by
// one call at a time (frame/session.h); the store it reaches is shared.
#ifndef ZYLO_CALENDAR_ICAL_FUNCTIONS_H_
#define ZYLO_CALENDAR_ICAL_FUNCTIONS_H_

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "calendar/cal_attendee.h"
#include "calendar/cal_calendar.h"
#include "calendar/cal_event.h"
#include "calendar/cal_predicate.h"
#include "calendar/cal_recurrence_rule.h"
#include "calendar/cal_task.h"
#include "calendar/calendar_store.h"
#include "calendar/property_value.h"
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
  explicit iCalFunctions(ContextEnvironment environment) : environment_(std::move(environment)) {}
  iCalFunctions(const iCalFunctions&) = delete;
  iCalFunctions& operator=(const iCalFunctions&) = delete;

  // Empties the calendar, task, event, attendee and recurrence rule slots
  // and both predicates; the last-error text stays.
  void releaseItems();
  int32_t resetLastErrorString();
  const foundation::OptionalString& getLastErrorString() const { return lastErrorString; }
  // Records a store exception: 9999, with its reason as the last-error text.
  void noteStoreException(const CalendarStoreException& e);

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

  // Creating and changing items in memory; nothing reaches the store until
  // the item is saved.
  //
  // Empties the context whatever the keyword, then holds a new calendar,
  // event or task ("calendar", "event" or "task" in any letter case; 9006
  // for any other). The new event or task belongs to no calendar yet.
  int32_t newItem(const foundation::OptionalString& type);
  // Set one property of the current event, task or calendar; the keyword in
  // any letter case. 9000 when nothing of the kind is current, 9005 without
  // a keyword; what else each refuses is in its table.
  int32_t setEventProp(const foundation::OptionalString& keyword, const PropertyValue& value);
  int32_t setTaskProp(const foundation::OptionalString& keyword, const PropertyValue& value);
  int32_t setCalendarProp(const foundation::OptionalString& keyword, const PropertyValue& value);
  // What events and tasks share; `keyword` already lower case. Store
  // exceptions become 9999; what was set before one stays set.
  int32_t setCalendarItemProp(const foundation::String& keyword, const PropertyValue& value,
                              CalCalendarItem& item);

  // Writing to the store. A span keyword ("this", "future" or "all", any
  // letter case) says how far a change to a repeating event reaches; any
  // other is refused with 9006 before anything else. A refusal by the store
  // is 9998 with its words as the last-error text, an exception 9999.
  //
  // Saves the current item of the kind named and keeps it current. An event
  // saved without a span keyword is saved for this occurrence when it is an
  // occurrence of a repeating event, else as the whole event.
  int32_t saveItem(const foundation::OptionalString& type,
                   const foundation::OptionalString& span);
  // Empties the context, then removes the item the store holds under `uid`
  // (an event also by occurrence); an event needs a span keyword (9005).
  int32_t removeItem(const foundation::OptionalString& type, const foundation::OptionalString& uid,
                     std::optional<foundation::Date> occurrence,
                     const foundation::OptionalString& span);

  // Recurrence of the current event, in memory until the event is saved.
  // Numbers go to the rule unchanged, in its numbering.
  //
  // Gives the current event a new rule. `frequency` is "daily", "weekly",
  // "monthly" or "yearly" in any letter case (9006 otherwise, tested before
  // the current event). An absent list leaves that part out of the rule; a
  // present one, even empty, is used. `dow` 0 means no nth weekday. An end
  // date wins over a count; a count below 1 means no end. 9011 when the
  // rule refuses the numbers; the event keeps its old rule then.
  int32_t addRecurrence(const foundation::OptionalString& frequency, int32_t interval,
                        const std::optional<std::vector<int32_t>>& dotw,
                        const std::optional<std::vector<int32_t>>& dotm, int32_t dow,
                        int32_t weekOfTheMonth,
                        const std::optional<std::vector<int32_t>>& monthsOfTheYear,
                        std::optional<foundation::Date> endWithDate, int32_t endWithCount);
  // Makes the current event single again; 0 also when it had no rule.
  int32_t removeRecurrence();
  // One property of the current event's rule as text, by lower-case keyword;
  // `recurrenceEnd` names the property of the end for "recurrenceend". An
  // event without a rule reads as an empty daily rule.
  foundation::OptionalString getEventRecurrenceRuleAttribute(
      const foundation::OptionalString& keyword, const foundation::OptionalString& recurrenceEnd);

 private:
  // The store in force; throws CalendarStoreException when there is none.
  std::shared_ptr<CalendarStore> store();
  // The default zone in force, in which date texts are written (GMT when
  // the environment gives none).
  std::shared_ptr<const foundation::TimeZone> zone();
  // The status of a save or removal; a refused one records 9998, with the
  // store's description and reason as the last-error text.
  int32_t outcomeOf(bool done, const StoreError& error);

  ContextEnvironment environment_;

  foundation::OptionalString lastErrorString;
  std::shared_ptr<CalCalendar> m_calendar;
  std::shared_ptr<CalEvent> m_event;
  // The current event was opened by its identifier alone: it stands for its
  // whole series, and a save without a span changes all of it.
  bool m_eventIsSeries = false;
  std::shared_ptr<CalTask> m_task;
  std::shared_ptr<const CalAttendee> m_attendee;
  CalRecurrenceRule::Ptr m_recurrencerule;
  std::shared_ptr<const TaskPredicate> m_taskPredicate;
  std::shared_ptr<const EventPredicate> m_eventPredicate;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_ICAL_FUNCTIONS_H_
