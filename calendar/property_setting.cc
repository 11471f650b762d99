// Setting one property of the current event, task or calendar, named by a
// keyword in any letter case. The change stays in memory until the item is
// saved.
#include <array>
#include <string_view>

#include "calendar/color_value.h"
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "calendar/reader_preconditions.h"
#include "errors/error_codes.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::String;

template <class Item>
struct Setter {
  std::u16string_view keyword;
  // 0, or -1 with the code recorded when the value is refused.
  int32_t (*set)(Item& item, const PropertyValue& value);
};

template <class Item, size_t N>
const Setter<Item>* setterFor(const std::array<Setter<Item>, N>& table, const String& keyword) {
  for (const Setter<Item>& s : table) {
    if (s.keyword == keyword) return &s;
  }
  return nullptr;
}

// Only "true", in any letter case, sets a flag; any other text, and no
// text at all (an empty field), clears it.
bool isTrue(const PropertyValue& value) {
  return value.text && foundation::lowercased(*value.text) == u"true";
}

int32_t setPriority(CalTask& task, const PropertyValue& value) {
  if (!value.text) {
    task.setPriority(CalTask::kNone);
    return 0;
  }
  static constexpr std::array<std::pair<std::u16string_view, int>, 4> kPriorities{{
      {u"none", CalTask::kNone},
      {u"high", CalTask::kHigh},
      {u"medium", CalTask::kMedium},
      {u"low", CalTask::kLow},
  }};
  const String word = foundation::lowercased(*value.text);
  for (const auto& [name, priority] : kPriorities) {
    if (word == name) {
      task.setPriority(priority);
      return 0;
    }
  }
  return failWith(kMissingArgument);
}

const std::array<Setter<CalEvent>, 4> kEventSetters{{
    {u"enddate", [](CalEvent& e, const PropertyValue& v) { e.setEndDate(v.date); return 0; }},
    {u"isallday", [](CalEvent& e, const PropertyValue& v) { e.setIsAllDay(isTrue(v)); return 0; }},
    {u"location", [](CalEvent& e, const PropertyValue& v) { e.setLocation(v.text); return 0; }},
    {u"startdate", [](CalEvent& e, const PropertyValue& v) { e.setStartDate(v.date); return 0; }},
}};

const std::array<Setter<CalTask>, 4> kTaskSetters{{
    {u"completeddate",
     [](CalTask& t, const PropertyValue& v) { t.setCompletedDate(v.date); return 0; }},
    {u"duedate", [](CalTask& t, const PropertyValue& v) { t.setDueDate(v.date); return 0; }},
    {u"iscompleted",
     [](CalTask& t, const PropertyValue& v) { t.setIsCompleted(isTrue(v)); return 0; }},
    {u"priority", setPriority},
}};

const std::array<Setter<CalCalendar>, 3> kCalendarSetters{{
    {u"notes", [](CalCalendar& c, const PropertyValue& v) { c.setNotes(v.text); return 0; }},
    {u"title", [](CalCalendar& c, const PropertyValue& v) { c.setTitle(v.text); return 0; }},
    {u"color",
     [](CalCalendar& c, const PropertyValue& v) {
       std::optional<foundation::Color> color = v.text ? colorFromText(*v.text) : std::nullopt;
       if (!color) return failWith(kInvalidParameterValue);
       c.setColor(color);
       return 0;
     }},
}};

}  // namespace

// The setters check what the readers check first: an item, then a keyword.
int32_t iCalFunctions::setEventProp(const OptionalString& keyword, const PropertyValue& value) {
  if (!canRead(m_event != nullptr, keyword)) return -1;
  const String name = foundation::lowercased(*keyword);
  if (const Setter<CalEvent>* setter = setterFor(kEventSetters, name))
    return setter->set(*m_event, value);
  return setCalendarItemProp(name, value, *m_event);
}

int32_t iCalFunctions::setTaskProp(const OptionalString& keyword, const PropertyValue& value) {
  if (!canRead(m_task != nullptr, keyword)) return -1;
  const String name = foundation::lowercased(*keyword);
  if (const Setter<CalTask>* setter = setterFor(kTaskSetters, name))
    return setter->set(*m_task, value);
  return setCalendarItemProp(name, value, *m_task);
}

int32_t iCalFunctions::setCalendarProp(const OptionalString& keyword, const PropertyValue& value) {
  if (!canRead(m_calendar != nullptr, keyword)) return -1;
  const Setter<CalCalendar>* setter =
      setterFor(kCalendarSetters, foundation::lowercased(*keyword));
  // A calendar answers an unknown keyword with 9005, unlike events and tasks.
  return setter ? setter->set(*m_calendar, value) : failWith(kMissingArgument);
}

int32_t iCalFunctions::setCalendarItemProp(const String& keyword, const PropertyValue& value,
                                           CalCalendarItem& item) {
  try {
    if (keyword == u"calendaruid" || keyword == u"calendartitle") {
      std::shared_ptr<CalCalendar> calendar;
      if (value.text) {
        calendar = keyword == u"calendaruid" ? store()->calendarWithUID(*value.text)
                                             : getCalendarWithTitle(*value.text);
      }
      // Both keywords report a calendar they cannot find with one code.
      if (!calendar) return failWith(kCalendarNotFound);
      item.setCalendar(std::move(calendar));
    } else if (keyword == u"notes") {
      item.setNotes(value.text);
    } else if (keyword == u"title") {
      item.setTitle(value.text);
    } else if (keyword == u"url") {
      // Text that is not a URL is refused and the URL kept: storing none
      // would delete it while answering success.
      auto url = value.text ? foundation::Url::withString(*value.text) : std::nullopt;
      if (value.text && !url) return failWith(kInvalidParameterValue);
      item.setUrl(std::move(url));
    } else {
      return failWith(kInvalidArgument);
    }
    return 0;
  } catch (const CalendarStoreException& e) {
    noteStoreException(e);
    return -1;
  }
}

}  // namespace zylo
