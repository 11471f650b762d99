// Reading a property of the current event or task, and the properties the
// two share.
#include <array>

#include "calendar/attribute_table.h"
#include "calendar/attribute_text.h"
#include "calendar/ical_functions.h"
#include "calendar/reader_preconditions.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::TimeZone;

const std::array<Attribute<CalEvent>, 10> kEventAttributes{{
    {u"startdate",
     [](const CalEvent& e, const TimeZone& z) {
       return e.isAllDay() ? dayAttribute(e.startDate(), z) : dateAttribute(e.startDate(), z);
     }},
    {u"enddate",
     [](const CalEvent& e, const TimeZone& z) { return dateAttribute(e.endDate(), z); }},
    {u"occurrence",
     [](const CalEvent& e, const TimeZone& z) -> OptionalString {
       if (!e.recurrenceRule()) return std::nullopt;
       return e.isAllDay() ? dayAttribute(e.occurrence(), z) : dateAttribute(e.occurrence(), z);
     }},
    {u"uid", [](const CalEvent& e, const TimeZone&) -> OptionalString { return e.uid(); }},
    {u"attendeecount",
     [](const CalEvent& e, const TimeZone&) -> OptionalString {
       return integerText(e.attendees() ? static_cast<int>(e.attendees()->size()) : 0);
     }},
    {u"isallday",
     [](const CalEvent& e, const TimeZone&) -> OptionalString { return truthText(e.isAllDay()); }},
    {u"isdetached",
     [](const CalEvent& e, const TimeZone&) -> OptionalString {
       return truthText(e.isDetached());
     }},
    {u"isrecurring",
     [](const CalEvent& e, const TimeZone&) -> OptionalString {
       return truthText(e.recurrenceRule() != nullptr);
     }},
    {u"location",
     [](const CalEvent& e, const TimeZone&) -> OptionalString { return e.location(); }},
    {u"hasattendees",
     [](const CalEvent& e, const TimeZone&) -> OptionalString {
       return truthText(e.attendees().has_value());
     }},
}};

OptionalString priorityText(int priority) {
  switch (priority) {
    case CalTask::kNone: return u"none";
    case CalTask::kHigh: return u"high";
    case CalTask::kMedium: return u"medium";
    case CalTask::kLow: return u"low";
    default: return std::nullopt;
  }
}

const std::array<Attribute<CalTask>, 4> kTaskAttributes{{
    {u"duedate", [](const CalTask& t, const TimeZone& z) { return dateAttribute(t.dueDate(), z); }},
    {u"completeddate",
     [](const CalTask& t, const TimeZone& z) { return dateAttribute(t.completedDate(), z); }},
    {u"iscompleted",
     [](const CalTask& t, const TimeZone&) -> OptionalString {
       return truthText(t.isCompleted());
     }},
    {u"priority", [](const CalTask& t, const TimeZone&) { return priorityText(t.priority()); }},
}};

const std::array<Attribute<CalCalendarItem>, 9> kSharedAttributes{{
    {u"calendartitle",
     [](const CalCalendarItem& i, const TimeZone&) -> OptionalString {
       if (!i.calendar()) return std::nullopt;
       return i.calendar()->title();
     }},
    {u"calendaruid",
     [](const CalCalendarItem& i, const TimeZone&) -> OptionalString {
       if (!i.calendar()) return std::nullopt;
       return i.calendar()->uid();
     }},
    {u"datestamp",
     [](const CalCalendarItem& i, const TimeZone& z) { return dateAttribute(i.dateStamp(), z); }},
    {u"notes",
     [](const CalCalendarItem& i, const TimeZone&) -> OptionalString { return i.notes(); }},
    {u"title",
     [](const CalCalendarItem& i, const TimeZone&) -> OptionalString { return i.title(); }},
    {u"url", [](const CalCalendarItem& i, const TimeZone&) { return urlAttribute(i.url()); }},
    {u"uid", [](const CalCalendarItem& i, const TimeZone&) -> OptionalString { return i.uid(); }},
    {u"hasalarm",
     [](const CalCalendarItem& i, const TimeZone&) -> OptionalString {
       return truthText(i.hasAlarm());
     }},
    // The empty text, not none, when there is nothing to announce.
    {u"nextalarmdate",
     [](const CalCalendarItem& i, const TimeZone& z) -> OptionalString {
       if (!i.hasAlarm() || !i.nextAlarmDate()) return u"";
       return dateAttribute(i.nextAlarmDate(), z);
     }},
}};

}  // namespace

OptionalString iCalFunctions::getEventAttribute(const OptionalString& keyword, int32_t,
                                                const OptionalString&) {
  if (!canRead(m_event != nullptr, keyword)) return std::nullopt;
  if (const Attribute<CalEvent>* a = findAttribute<CalEvent>(kEventAttributes, *keyword))
    return a->read(*m_event, *zone());
  return getCalendarItemAttribute(*keyword, *m_event);
}

OptionalString iCalFunctions::getTaskAttribute(const OptionalString& keyword, int32_t,
                                               const OptionalString&) {
  if (!canRead(m_task != nullptr, keyword)) return std::nullopt;
  if (const Attribute<CalTask>* a = findAttribute<CalTask>(kTaskAttributes, *keyword))
    return a->read(*m_task, *zone());
  return getCalendarItemAttribute(*keyword, *m_task);
}

OptionalString iCalFunctions::getCalendarItemAttribute(const foundation::String& keyword,
                                                       const CalCalendarItem& item) {
  const Attribute<CalCalendarItem>* a = findAttribute<CalCalendarItem>(kSharedAttributes, keyword);
  if (!a) {
    g_llasterror = kInvalidArgument;
    return std::nullopt;
  }
  return a->read(item, *zone());
}

}  // namespace zylo
