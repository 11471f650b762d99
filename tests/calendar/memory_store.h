// A calendar store kept in memory, for tests of the context: calendars,
// events and tasks in the order the test adds them, and a fault that every
// operation runs first (a test sets it to throw).
#ifndef ZYLO_TESTS_CALENDAR_MEMORY_STORE_H_
#define ZYLO_TESTS_CALENDAR_MEMORY_STORE_H_

#include <functional>
#include <memory>
#include <vector>

#include "calendar/calendar_store.h"

namespace zylo::testing {

// Not provided: saving and removal (they refuse), occurrence expansion (an
// event is one item with its own occurrence date).
class MemoryStore final : public CalendarStore {
 public:
  std::shared_ptr<CalCalendar> addCalendar(const foundation::String& uid,
                                           const foundation::String& title);
  // Events are selected when their start lies in the predicate's range.
  void add(std::shared_ptr<CalEvent> event) { events_.push_back(std::move(event)); }
  void add(std::shared_ptr<CalTask> task) { tasks_.push_back(std::move(task)); }

  std::function<void()> fault = [] {};

  std::vector<std::shared_ptr<CalCalendar>> calendars() override;
  std::shared_ptr<CalCalendar> calendarWithUID(const foundation::String& uid) override;
  std::shared_ptr<CalTask> taskWithUID(const foundation::String& uid) override;
  std::shared_ptr<CalEvent> eventWithUID(const foundation::String& uid,
                                         std::optional<foundation::Date> occurrence) override;
  EventList eventsWithPredicate(const EventPredicate& p) override;
  TaskList tasksWithPredicate(const TaskPredicate& p) override;

  bool saveCalendar(CalCalendar&, StoreError& e) override { return refuse(e); }
  bool saveEvent(CalEvent&, CalSpan, StoreError& e) override { return refuse(e); }
  bool saveTask(CalTask&, StoreError& e) override { return refuse(e); }
  bool removeCalendar(CalCalendar&, StoreError& e) override { return refuse(e); }
  bool removeEvent(CalEvent&, CalSpan, StoreError& e) override { return refuse(e); }
  bool removeTask(CalTask&, StoreError& e) override { return refuse(e); }

 private:
  static bool refuse(StoreError& e);
  std::vector<std::shared_ptr<CalCalendar>> calendars_;
  std::vector<std::shared_ptr<const CalEvent>> events_;
  std::vector<std::shared_ptr<const CalTask>> tasks_;
};

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_CALENDAR_MEMORY_STORE_H_
