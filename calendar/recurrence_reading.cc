// Reading the current event's recurrence rule as text. A rule another
// program wrote may hold more than the model says; the answers describe
// what the model holds, and a frequency it cannot name reads as the empty
// text.
#include <array>

#include "calendar/attribute_table.h"
#include "calendar/attribute_text.h"
#include "calendar/ical_functions.h"
#include "calendar/reader_preconditions.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::String;
using foundation::TimeZone;

// How an event without a rule reads: every number 0, no end, no lists.
const CalRecurrenceRule& absentRule() {
  static const CalRecurrenceRule::Ptr rule = [] {
    CalRecurrenceRule::Parts parts;
    parts.interval = 0;
    return CalRecurrenceRule::fromStore(std::move(parts));
  }();
  return *rule;
}

String typeText(int type) {
  switch (type) {
    case CalRecurrenceRule::kDaily: return u"daily";
    case CalRecurrenceRule::kWeekly: return u"weekly";
    case CalRecurrenceRule::kMonthly: return u"monthly";
    case CalRecurrenceRule::kYearly: return u"yearly";
    default: return u"";
  }
}

// Entries separated by carriage returns, none after the last.
String numberListText(const std::vector<int>& numbers) {
  String text;
  for (int n : numbers) {
    if (!text.empty()) text += u'\r';
    text += integerText(n);
  }
  return text;
}

String nthWeekDaysText(const std::vector<CalNthWeekDay>& days) {
  String text;
  for (const CalNthWeekDay& d : days) {
    if (!text.empty()) text += u'\r';
    text += integerText(d.weekNumber) + u"," + integerText(d.dayOfTheWeek);
  }
  return text;
}

const std::array<Attribute<CalRecurrenceRule>, 8> kRuleAttributes{{
    {u"firstdayoftheweek",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return integerText(r.firstDayOfTheWeek());
     }},
    {u"hasend",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return truthText(r.recurrenceEnd() != nullptr);
     }},
    {u"recurrencetype",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return typeText(r.recurrenceType());
     }},
    {u"recurrenceinterval",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return integerText(r.recurrenceInterval());
     }},
    {u"daysoftheweek",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return numberListText(r.daysOfTheWeek());
     }},
    {u"daysofthemonth",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return numberListText(r.daysOfTheMonth());
     }},
    {u"nthweekdaysofthemonth",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return nthWeekDaysText(r.nthWeekDaysOfTheMonth());
     }},
    {u"monthsoftheyear",
     [](const CalRecurrenceRule& r, const TimeZone&) -> OptionalString {
       return numberListText(r.monthsOfTheYear());
     }},
}};

// One property of an end, by exact keyword; 9005 without one, 9006 for one
// it does not know. The date of an end by count is none, without error.
OptionalString endAttribute(const CalRecurrenceEnd& end, const OptionalString& keyword,
                            const TimeZone& zone) {
  if (!keyword) {
    g_llasterror = kMissingArgument;
    return std::nullopt;
  }
  if (*keyword == u"usesenddate") return truthText(end.usesEndDate());
  if (*keyword == u"occurrencecount") return integerText(end.occurrenceCount());
  if (*keyword == u"enddate") return dateAttribute(end.endDate(), zone);
  g_llasterror = kInvalidArgument;
  return std::nullopt;
}

}  // namespace

OptionalString iCalFunctions::getEventRecurrenceRuleAttribute(const OptionalString& keyword,
                                                              const OptionalString& recurrenceEnd) {
  if (!canRead(m_event != nullptr, keyword)) return std::nullopt;
  if (!m_recurrencerule) m_recurrencerule = m_event->recurrenceRule();
  const CalRecurrenceRule& rule = m_recurrencerule ? *m_recurrencerule : absentRule();

  if (*keyword == u"recurrenceend") {
    if (!rule.recurrenceEnd()) return u"never";
    return endAttribute(*rule.recurrenceEnd(), recurrenceEnd, *zone());
  }
  const Attribute<CalRecurrenceRule>* a =
      findAttribute<CalRecurrenceRule>(kRuleAttributes, *keyword);
  if (!a) {
    g_llasterror = kInvalidArgument;
    return std::nullopt;
  }
  return a->read(rule, *zone());
}

}  // namespace zylo
