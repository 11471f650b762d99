// Counting the items of a kind: calendars of the store, the events or tasks
// the stored predicate selects, the attendees of the current event.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {

int32_t iCalFunctions::getObjectCount(const foundation::String& keyword) {
  if (keyword == u"calendar") return static_cast<int32_t>(store()->calendars().size());
  if (keyword == u"event") {
    if (!m_eventPredicate) return failWith(kInvalidCallOrder);
    return static_cast<int32_t>(store()->eventsWithPredicate(*m_eventPredicate)->size());
  }
  if (keyword == u"task") {
    if (!m_taskPredicate) return failWith(kInvalidCallOrder);
    return static_cast<int32_t>(store()->tasksWithPredicate(*m_taskPredicate)->size());
  }
  if (keyword == u"attendee") {
    if (!m_event) return failWith(kInvalidCallOrder);
    return m_event->attendees() ? static_cast<int32_t>(m_event->attendees()->size()) : 0;
  }
  if (keyword == u"alarm") return failWith(kUnsupportedParameter);
  // Not a kind of item: the caller sees -1 as the count, with no error.
  return -1;
}

}  // namespace zylo
