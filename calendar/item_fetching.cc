// Fetching: a new selection of events by date range (and identifier), or of
// tasks by completion status, stored as a predicate for the later counts
// and positional opens.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {
namespace {

bool isOneOf(const foundation::String& s, std::u16string_view a, std::u16string_view b) {
  return s == a || s == b;
}

}  // namespace

int32_t iCalFunctions::fetchEventsWithStartDate(foundation::Date start, foundation::Date end,
                                                const foundation::OptionalString& uid,
                                                const foundation::OptionalString& calendars) {
  releaseItems();
  // The calendar list asks the store too, so it is guarded with the rest.
  try {
    std::optional<CalendarList> list = calendarArrayFromString(calendars);
    if (!list) return -1;
    if (list->empty()) return failWith(kNoCalendarArray);
    m_eventPredicate =
        uid ? EventPredicate::eventPredicateWithStartDate(start, end, *uid, std::move(*list))
            : EventPredicate::eventPredicateWithStartDate(start, end, std::move(*list));
    return 0;
  } catch (const CalendarStoreException& e) {
    noteStoreException(e);
    return -1;
  }
}

int32_t iCalFunctions::fetchTasks(const foundation::OptionalString& calendars,
                                  const foundation::OptionalString& status,
                                  std::optional<foundation::Date> date) {
  releaseItems();
  std::optional<CalendarList> list = calendarArrayFromString(calendars);
  if (!list) return -1;
  if (list->empty()) return failWith(kNoCalendarArray);
  if (!status) {
    m_taskPredicate = TaskPredicate::taskPredicateWithCalendars(std::move(*list));
    return 0;
  }
  const foundation::String keyword = foundation::lowercased(*status);
  if (isOneOf(keyword, u"incomplete", u"incompleted")) {
    m_taskPredicate =
        date ? TaskPredicate::taskPredicateWithUncompletedTasksDueBefore(*date, std::move(*list))
             : TaskPredicate::taskPredicateWithUncompletedTasks(std::move(*list));
    return 0;
  }
  if (isOneOf(keyword, u"complete", u"completed") && date) {
    m_taskPredicate = TaskPredicate::taskPredicateWithTasksCompletedSince(*date, std::move(*list));
    return 0;
  }
  return failWith(kInvalidParameterValue);
}

}  // namespace zylo
