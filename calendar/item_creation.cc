// Creating a new, unsaved calendar, event or task in the context.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {

int32_t iCalFunctions::newItem(const foundation::OptionalString& type) {
  // Emptied before the keyword is looked at: a bad keyword leaves nothing.
  releaseItems();
  const foundation::String keyword = type ? foundation::lowercased(*type) : foundation::String();
  if (keyword == u"calendar") {
    m_calendar = CalCalendar::calendar();
  } else if (keyword == u"event") {
    m_event = CalEvent::event();
  } else if (keyword == u"task") {
    m_task = CalTask::task();
  } else {
    return failWith(kInvalidArgument);
  }
  return 0;
}

}  // namespace zylo
