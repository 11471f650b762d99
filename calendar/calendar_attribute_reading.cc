// Reading a property of the current calendar or the current attendee.
#include <array>

#include "calendar/attribute_table.h"
#include "calendar/attribute_text.h"
#include "calendar/ical_functions.h"
#include "calendar/reader_preconditions.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::TimeZone;

const std::array<Attribute<CalCalendar>, 6> kCalendarAttributes{{
    {u"title", [](const CalCalendar& c, const TimeZone&) -> OptionalString { return c.title(); }},
    {u"notes", [](const CalCalendar& c, const TimeZone&) -> OptionalString { return c.notes(); }},
    {u"type", [](const CalCalendar& c, const TimeZone&) -> OptionalString { return c.type(); }},
    {u"uid", [](const CalCalendar& c, const TimeZone&) -> OptionalString { return c.uid(); }},
    {u"iseditable",
     [](const CalCalendar& c, const TimeZone&) -> OptionalString {
       return truthText(c.isEditable());
     }},
    {u"color",
     [](const CalCalendar& c, const TimeZone&) -> OptionalString {
       if (!c.color()) return std::nullopt;
       return colorText(*c.color());
     }},
}};

const std::array<Attribute<CalAttendee>, 3> kAttendeeAttributes{{
    {u"address",
     [](const CalAttendee& a, const TimeZone&) -> OptionalString {
       return urlAttribute(a.address);
     }},
    {u"commonname",
     [](const CalAttendee& a, const TimeZone&) -> OptionalString { return a.commonName; }},
    {u"status", [](const CalAttendee& a, const TimeZone&) -> OptionalString { return a.status; }},
}};

}  // namespace

OptionalString iCalFunctions::getCalendarAttribute(const OptionalString& keyword, int32_t,
                                                   const OptionalString&) {
  try {
    if (!canRead(m_calendar != nullptr, keyword)) return std::nullopt;
    const Attribute<CalCalendar>* attribute =
        findAttribute<CalCalendar>(kCalendarAttributes, *keyword);
    if (!attribute) {
      g_llasterror = kInvalidArgument;
      return std::nullopt;
    }
    return attribute->read(*m_calendar, *zone());
  } catch (const CalendarStoreException& e) {
    noteStoreException(e);
    return u"!!ERROR!!";
  }
}

OptionalString iCalFunctions::getAttendeeAttribute(const OptionalString& keyword, int32_t,
                                                   const OptionalString&) {
  if (!canRead(m_attendee != nullptr, keyword)) return std::nullopt;
  const Attribute<CalAttendee>* attribute =
      findAttribute<CalAttendee>(kAttendeeAttributes, *keyword);
  if (!attribute) {
    g_llasterror = kInvalidArgument;
    return std::nullopt;
  }
  return attribute->read(*m_attendee, *zone());
}

}  // namespace zylo
