#include "calendar/ical_functions.h"

#include <mutex>

namespace zylo {

std::shared_ptr<iCalFunctions> iCalFunctions::sharedICalFunctions(ContextEnvironment environment) {
  static std::mutex lock;
  static std::shared_ptr<iCalFunctions> shared;
  std::lock_guard<std::mutex> guard(lock);
  if (!shared) shared = std::make_shared<iCalFunctions>(Key(), std::move(environment));
  return shared;
}

void iCalFunctions::releaseItems() {
  m_calendar.reset();
  m_task.reset();
  m_event.reset();
  m_attendee.reset();
  m_recurrencerule.reset();
  m_taskPredicate.reset();
  m_eventPredicate.reset();
}

int32_t iCalFunctions::resetLastErrorString() {
  lastErrorString.reset();
  return 0;
}

}  // namespace zylo
