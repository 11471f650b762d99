// The calendar store: where calendars, events and tasks live. The context
// reaches the user's data only through this interface; the vdir store is the
// real one, tests may put a double in its place.
//
// Every operation may throw CalendarStoreException (a root that cannot be
// read, a file system that fails); the context's guarded calls turn it into
// code 9999 with its reason. A refused save or removal is not an exception:
// it answers false and fills `error`.
//
// Thread contract: called from the host's calculation thread. An
// implementation may post change notices from a thread of its own.
#ifndef ZYLO_CALENDAR_CALENDAR_STORE_H_
#define ZYLO_CALENDAR_CALENDAR_STORE_H_

#include <memory>
#include <optional>
#include <vector>

#include "calendar/cal_calendar.h"
#include "calendar/cal_event.h"
#include "calendar/cal_predicate.h"
#include "calendar/cal_task.h"
#include "platform/foundation/exception.h"

namespace zylo {

class CalendarStoreException : public foundation::Exception {
 public:
  explicit CalendarStoreException(foundation::String reason)
      : foundation::Exception(u"CalendarStoreException", std::move(reason)) {}
};

// Why the store refused a save or removal: plain sentences.
struct StoreError {
  foundation::String localizedDescription;
  foundation::OptionalString localizedFailureReason;
};

// How far a change to a repeating event reaches.
enum class CalSpan { kThisEvent = 0, kFutureEvents = 1, kAllEvents = 2 };

class CalendarStore {
 public:
  virtual ~CalendarStore() = default;

  // All calendars in a stable order.
  virtual std::vector<std::shared_ptr<CalCalendar>> calendars() = 0;
  virtual std::shared_ptr<CalCalendar> calendarWithUID(const foundation::String& uid) = 0;
  virtual std::shared_ptr<CalTask> taskWithUID(const foundation::String& uid) = 0;
  // Without an occurrence: the event itself (a repeating one's first
  // occurrence); with one: the occurrence whose original start it is.
  virtual std::shared_ptr<CalEvent> eventWithUID(const foundation::String& uid,
                                                 std::optional<foundation::Date> occurrence) = 0;

  // What a predicate selects, in the same order for the same predicate
  // while the store is unchanged. The lists are snapshots that the store may
  // answer again from its cache: a caller that wants to change an item
  // copies it first.
  using EventList = std::shared_ptr<const std::vector<std::shared_ptr<const CalEvent>>>;
  using TaskList = std::shared_ptr<const std::vector<std::shared_ptr<const CalTask>>>;
  virtual EventList eventsWithPredicate(const EventPredicate& p) = 0;
  virtual TaskList tasksWithPredicate(const TaskPredicate& p) = 0;

  virtual bool saveCalendar(CalCalendar& calendar, StoreError& error) = 0;
  virtual bool saveEvent(CalEvent& event, CalSpan span, StoreError& error) = 0;
  virtual bool saveTask(CalTask& task, StoreError& error) = 0;
  virtual bool removeCalendar(CalCalendar& calendar, StoreError& error) = 0;
  virtual bool removeEvent(CalEvent& event, CalSpan span, StoreError& error) = 0;
  virtual bool removeTask(CalTask& task, StoreError& error) = 0;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CALENDAR_STORE_H_
