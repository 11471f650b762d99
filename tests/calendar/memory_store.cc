#include "tests/calendar/memory_store.h"

#include <algorithm>

namespace zylo::testing {
namespace {

bool inCalendars(const CalCalendarItem& item, const CalendarList& calendars) {
  return std::any_of(calendars.begin(), calendars.end(), [&](const auto& c) {
    return item.calendar() && c->uid() == item.calendar()->uid();
  });
}

bool taskSelected(const CalTask& t, const TaskPredicate& p) {
  switch (p.kind) {
    case TaskPredicate::kAll: return true;
    case TaskPredicate::kUncompleted: return !t.isCompleted();
    case TaskPredicate::kUncompletedDueBefore:
      return !t.isCompleted() && t.dueDate() && *t.dueDate() < *p.date;
    case TaskPredicate::kCompletedSince:
      return t.isCompleted() && t.completedDate() && *t.completedDate() >= *p.date;
  }
  return false;
}

}  // namespace

std::shared_ptr<CalCalendar> MemoryStore::addCalendar(const foundation::String& uid,
                                                      const foundation::String& title) {
  auto calendar = std::make_shared<CalCalendar>();
  calendar->loadFromStore(uid, title, std::nullopt, u"Local", true, std::nullopt);
  calendars_.push_back(calendar);
  return calendar;
}

std::vector<std::shared_ptr<CalCalendar>> MemoryStore::calendars() {
  fault();
  std::vector<std::shared_ptr<CalCalendar>> copies;
  for (const auto& c : calendars_) copies.push_back(std::make_shared<CalCalendar>(*c));
  return copies;
}

std::shared_ptr<CalCalendar> MemoryStore::calendarWithUID(const foundation::String& uid) {
  fault();
  for (const auto& c : calendars_) {
    if (c->uid() == uid) return std::make_shared<CalCalendar>(*c);
  }
  return nullptr;
}

std::shared_ptr<CalTask> MemoryStore::taskWithUID(const foundation::String& uid) {
  fault();
  for (const auto& t : tasks_) {
    if (t->uid() == uid) return std::make_shared<CalTask>(*t);
  }
  return nullptr;
}

std::shared_ptr<CalEvent> MemoryStore::eventWithUID(const foundation::String& uid,
                                                    std::optional<foundation::Date> occurrence) {
  fault();
  for (const auto& e : events_) {
    if (e->uid() == uid && (!occurrence || e->occurrence() == occurrence))
      return std::make_shared<CalEvent>(*e);
  }
  return nullptr;
}

CalendarStore::EventList MemoryStore::eventsWithPredicate(const EventPredicate& p) {
  fault();
  auto list = std::make_shared<std::vector<std::shared_ptr<const CalEvent>>>();
  for (const auto& e : events_) {
    const bool inRange = e->startDate() && *e->startDate() >= p.start && *e->startDate() < p.end;
    if (inRange && inCalendars(*e, p.calendars) && (!p.uid || e->uid() == *p.uid))
      list->push_back(e);
  }
  return list;
}

CalendarStore::TaskList MemoryStore::tasksWithPredicate(const TaskPredicate& p) {
  fault();
  auto list = std::make_shared<std::vector<std::shared_ptr<const CalTask>>>();
  for (const auto& t : tasks_) {
    if (inCalendars(*t, p.calendars) && taskSelected(*t, p)) list->push_back(t);
  }
  return list;
}

bool MemoryStore::record(Write write, StoreError& e) {
  fault();
  if (refusal) {
    e = *refusal;
    return false;
  }
  writes.push_back(std::move(write));
  return true;
}

}  // namespace zylo::testing
