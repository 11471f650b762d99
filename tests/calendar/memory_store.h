// A calendar store kept in memory, for tests of the context: calendars,
// events and tasks in the order the test adds them, and a fault that every
// operation runs first (a test sets it to throw).
#ifndef ZYLO_TESTS_CALENDAR_MEMORY_STORE_H_
#define ZYLO_TESTS_CALENDAR_MEMORY_STORE_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calendar/calendar_store.h"

namespace zylo::testing {

// Saves and removals are recorded, not applied. Not provided: occurrence
// expansion (an event is one item with its own occurrence date).
class MemoryStore final : public CalendarStore {
 public:
  std::shared_ptr<CalCalendar> addCalendar(const foundation::String& uid,
                                           const foundation::String& title);
  // Events are selected when their start lies in the predicate's range.
  void add(std::shared_ptr<CalEvent> event) { events_.push_back(std::move(event)); }
  void add(std::shared_ptr<CalTask> task) { tasks_.push_back(std::move(task)); }

  std::function<void()> fault = [] {};

  // What a save or removal was asked to do, as the store saw it.
  struct Write {
    std::string operation;  // "saveEvent", "removeTask", ...
    foundation::String uid;
    std::optional<CalSpan> span;
    unsigned changedFields = 0;
  };
  std::vector<Write> writes;
  // When set, every save and removal (after `fault`) answers it instead.
  std::optional<StoreError> refusal;

  std::vector<std::shared_ptr<CalCalendar>> calendars() override;
  std::shared_ptr<CalCalendar> calendarWithUID(const foundation::String& uid) override;
  std::shared_ptr<CalTask> taskWithUID(const foundation::String& uid) override;
  std::shared_ptr<CalEvent> eventWithUID(const foundation::String& uid,
                                         std::optional<foundation::Date> occurrence) override;
  EventList eventsWithPredicate(const EventPredicate& p) override;
  TaskList tasksWithPredicate(const TaskPredicate& p) override;

  bool saveCalendar(CalCalendar& c, StoreError& e) override {
    return record({"saveCalendar", c.uid(), {}, c.changedFields()}, e);
  }
  bool saveEvent(CalEvent& v, CalSpan span, StoreError& e) override {
    return record({"saveEvent", v.uid(), span, v.changedFields()}, e);
  }
  bool saveTask(CalTask& t, StoreError& e) override {
    return record({"saveTask", t.uid(), {}, t.changedFields()}, e);
  }
  bool removeCalendar(CalCalendar& c, StoreError& e) override {
    return record({"removeCalendar", c.uid(), {}, 0}, e);
  }
  bool removeEvent(CalEvent& v, CalSpan span, StoreError& e) override {
    return record({"removeEvent", v.uid(), span, 0}, e);
  }
  bool removeTask(CalTask& t, StoreError& e) override {
    return record({"removeTask", t.uid(), {}, 0}, e);
  }

 private:
  bool record(Write write, StoreError& e);
  std::vector<std::shared_ptr<CalCalendar>> calendars_;
  std::vector<std::shared_ptr<const CalEvent>> events_;
  std::vector<std::shared_ptr<const CalTask>> tasks_;
};

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_CALENDAR_MEMORY_STORE_H_
