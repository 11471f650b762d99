// Making a calendar current, by position, identifier or title, and turning
// a calendar list text into calendars.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {
namespace {

// The platform's newline set: the line and paragraph separators of Unicode
// and the ASCII controls between line feed and carriage return.
bool isNewline(char16_t c) {
  return (c >= u'\n' && c <= u'\r') || c == u'\u0085' || c == u'\u2028' || c == u'\u2029';
}

std::vector<foundation::String> splitAtNewlines(const foundation::String& text) {
  std::vector<foundation::String> pieces(1);
  for (char16_t c : text) {
    if (isNewline(c))
      pieces.emplace_back();
    else
      pieces.back() += c;
  }
  return pieces;
}

}  // namespace

std::optional<CalendarList> iCalFunctions::calendarArrayFromString(
    const foundation::OptionalString& text) {
  if (!text) {
    if (m_calendar) return CalendarList{m_calendar};
    return store()->calendars();
  }
  if (*text == u"all") return store()->calendars();
  CalendarList list;
  // Empty pieces are titles like any other: a trailing break asks for one.
  for (const foundation::String& title : splitAtNewlines(*text)) {
    std::shared_ptr<CalCalendar> calendar = getCalendarWithTitle(title);
    if (!calendar) {
      g_llasterror = kCalendarNotFound;
      return std::nullopt;
    }
    list.push_back(std::move(calendar));
  }
  return list;
}

std::shared_ptr<CalCalendar> iCalFunctions::getCalendarWithTitle(const foundation::String& title) {
  for (std::shared_ptr<CalCalendar>& calendar : store()->calendars()) {
    if (calendar && calendar->title() == title) return std::move(calendar);
  }
  g_llasterror = kItemNotFound;
  return nullptr;
}

int32_t iCalFunctions::openCalendarAt(int32_t position) {
  releaseItems();
  std::vector<std::shared_ptr<CalCalendar>> calendars = store()->calendars();
  std::optional<size_t> index = indexAt(position, calendars.size());
  if (!index) return failWith(kIndexOutOfBounds);
  m_calendar = std::move(calendars[*index]);
  return m_calendar ? 0 : failWith(kItemNotFound);
}

int32_t iCalFunctions::openCalendarWithUID(const foundation::String& uid) {
  releaseItems();
  m_calendar = store()->calendarWithUID(uid);
  return m_calendar ? 0 : failWith(kItemNotFound);
}

int32_t iCalFunctions::openCalendarWithTitle(const foundation::String& title) {
  releaseItems();
  m_calendar = getCalendarWithTitle(title);
  return m_calendar ? 0 : -1;
}

}  // namespace zylo
