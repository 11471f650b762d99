#include "calendar/ical_functions.h"

#include "errors/error_codes.h"
#include "errors/last_error.h"

namespace zylo {

void iCalFunctions::releaseItems() {
  m_calendar.reset();
  m_task.reset();
  m_event.reset();
  m_eventIsSeries = false;
  m_attendee.reset();
  m_recurrencerule.reset();
  m_taskPredicate.reset();
  m_eventPredicate.reset();
}

int32_t iCalFunctions::resetLastErrorString() {
  lastErrorString.reset();
  return 0;
}

std::shared_ptr<CalendarStore> iCalFunctions::store() {
  std::shared_ptr<CalendarStore> store = environment_.defaultCalendarStore();
  if (!store) throw CalendarStoreException(u"No calendar store is available.");
  return store;
}

std::shared_ptr<const foundation::TimeZone> iCalFunctions::zone() {
  std::shared_ptr<const foundation::TimeZone> zone = environment_.defaultTimeZone();
  return zone ? zone : foundation::fixedOffsetZone(0);
}

void iCalFunctions::noteStoreException(const CalendarStoreException& e) {
  lastErrorString = e.reason();
  g_llasterror = kStoreException;
}

}  // namespace zylo
