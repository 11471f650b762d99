// Making an event, task or attendee current: events and tasks by identifier
// or by position in what the stored predicate selects, attendees by
// position in the current event.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {

int32_t iCalFunctions::openEventWithUID(const foundation::String& uid,
                                        std::optional<foundation::Date> occurrence) {
  releaseItems();
  try {
    m_event = store()->eventWithUID(uid, occurrence);
    m_eventIsSeries = !occurrence;
  } catch (const CalendarStoreException& e) {
    noteStoreException(e);
    return -1;
  }
  return m_event ? 0 : failWith(kItemNotFound);
}

int32_t iCalFunctions::openTaskWithUID(const foundation::String& uid) {
  releaseItems();
  m_task = store()->taskWithUID(uid);
  return m_task ? 0 : failWith(kItemNotFound);
}

int32_t iCalFunctions::openEventAt(int32_t position) {
  if (!m_eventPredicate) return failWith(kInvalidCallOrder);
  m_calendar.reset();
  m_attendee.reset();
  m_recurrencerule.reset();
  m_task.reset();
  m_event.reset();
  m_eventIsSeries = false;
  CalendarStore::EventList events = store()->eventsWithPredicate(*m_eventPredicate);
  std::optional<size_t> index = indexAt(position, events->size());
  if (!index) return failWith(kIndexOutOfBounds);
  const std::shared_ptr<const CalEvent>& found = (*events)[*index];
  if (!found) return failWith(kItemNotFound);
  // The list is the store's snapshot and may be served again: the current
  // event is a copy of its own, so that setters never reach the snapshot.
  m_event = std::make_shared<CalEvent>(*found);
  return 0;
}

int32_t iCalFunctions::openTaskAt(int32_t position) {
  m_attendee.reset();
  m_recurrencerule.reset();
  m_task.reset();
  m_event.reset();
  m_eventIsSeries = false;
  if (!m_taskPredicate) return failWith(kInvalidCallOrder);
  CalendarStore::TaskList tasks = store()->tasksWithPredicate(*m_taskPredicate);
  std::optional<size_t> index = indexAt(position, tasks->size());
  if (!index) return failWith(kIndexOutOfBounds);
  const std::shared_ptr<const CalTask>& found = (*tasks)[*index];
  if (!found) return failWith(kItemNotFound);
  m_task = std::make_shared<CalTask>(*found);
  return 0;
}

int32_t iCalFunctions::openAttendeeAt(int32_t position) {
  if (!m_event) return failWith(kInvalidCallOrder);
  m_attendee.reset();
  const std::optional<CalEvent::Attendees>& attendees = m_event->attendees();
  std::optional<size_t> index = indexAt(position, attendees ? attendees->size() : 0);
  if (!index) return failWith(kIndexOutOfBounds);
  m_attendee = (*attendees)[*index];
  return m_attendee ? 0 : failWith(kItemNotFound);
}

}  // namespace zylo
