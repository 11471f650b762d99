#include "platform/calendarstore/rule_conversion.h"

#include <libical/ical.h>

#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/series_edit.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using zylo::CalRecurrenceRule;

constexpr const char* kDayNames[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

template <size_t N>
std::vector<int> listOf(const short (&values)[N]) {
  std::vector<int> list;
  for (size_t i = 0; i < N && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) list.push_back(values[i]);
  return list;
}

int typeOf(icalrecurrencetype_frequency f) {
  switch (f) {
    case ICAL_DAILY_RECURRENCE: return CalRecurrenceRule::kDaily;
    case ICAL_WEEKLY_RECURRENCE: return CalRecurrenceRule::kWeekly;
    case ICAL_MONTHLY_RECURRENCE: return CalRecurrenceRule::kMonthly;
    case ICAL_YEARLY_RECURRENCE: return CalRecurrenceRule::kYearly;
    default: return CalRecurrenceRule::kOther;
  }
}

const char* frequencyName(int type) {
  constexpr const char* kNames[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  return type >= 0 && type <= 3 ? kNames[type] : "DAILY";
}

// The host hands a date as its first second: an end at the first second of
// a day in the event's zone names that whole day, which the series runs
// through (the day's last second, or the date itself for all-day events).
icaltimetype untilOfEnd(foundation::Date end, const StoredTime& start) {
  const foundation::LocalDateTime l = foundation::splitGregorian(end, *start.zone);
  if (l.hour != 0 || l.minute != 0 || l.second != 0) return untilAt(end, start);
  if (start.isDate) return icalTimeOf(l, true);
  return untilAt(start.zone->dateFromLocal({l.year, l.month, l.day, 23, 59, 59}), start);
}

// The end a script set as a date reads back as that date: an UNTIL at the
// last second of a day in the event's zone stands for the day's first.
foundation::Date namedEnd(foundation::Date until, const StoredTime& start) {
  const foundation::LocalDateTime l = foundation::splitGregorian(until, *start.zone);
  if (l.hour != 23 || l.minute != 59 || l.second != 59) return until;
  return start.zone->dateFromLocal({l.year, l.month, l.day, 0, 0, 0});
}

std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : ",") + p;
  return out;
}

}  // namespace

foundation::Date untilInstant(const icaltimetype& until, const StoredTime& start, bool wholeDay) {
  // A series of dates ends on a date, even where its UNTIL was written as a
  // time: on the date written, in whatever zone.
  const bool date = until.is_date || start.isDate;
  foundation::LocalDateTime l = fieldsOf(until);
  if (date) l.hour = wholeDay ? 23 : 0, l.minute = wholeDay ? 59 : 0, l.second = wholeDay ? 59 : 0;
  if (!date && icaltime_is_utc(until)) return foundation::fixedOffsetZone(0)->dateFromLocal(l);
  return start.zone->dateFromLocal(l);
}

CalRecurrenceRule::Ptr ruleFromText(const std::string& rrule, const StoredTime& start) {
  icalrecurrencetype r = icalrecurrencetype_from_string(rrule.c_str());
  CalRecurrenceRule::Parts p;
  p.type = typeOf(r.freq);
  p.interval = r.interval;
  p.sourceRule = rrule;
  if (rrule.find("WKST=") != std::string::npos) p.firstDayOfTheWeek = r.week_start;
  if (!icaltime_is_null_time(r.until)) {
    p.end = zylo::CalRecurrenceEnd::recurrenceEndWithEndDate(namedEnd(untilInstant(r.until, start, false), start));
  } else if (r.count > 0) {
    p.end = zylo::CalRecurrenceEnd::recurrenceEndWithOccurrenceCount(r.count);
  }
  const bool weekly = p.type == CalRecurrenceRule::kWeekly || p.type == CalRecurrenceRule::kDaily;
  for (int day : listOf(r.by_day)) {
    const int weekday = icalrecurrencetype_day_day_of_week(static_cast<short>(day));
    const int position = icalrecurrencetype_day_position(static_cast<short>(day));
    if (weekly && position == 0) {
      p.daysOfTheWeek.push_back(weekday);
    } else {
      p.nthWeekDaysOfTheMonth.push_back({position, weekday});
    }
  }
  p.daysOfTheMonth = listOf(r.by_month_day);
  p.monthsOfTheYear = listOf(r.by_month);
  // Parts the model has no place for (BYSETPOS, BYYEARDAY, ...) stay in the
  // kept text; the type still names the rule's frequency.
  return CalRecurrenceRule::fromStore(std::move(p));
}

std::string ruleText(const CalRecurrenceRule& rule, const StoredTime& start) {
  if (rule.sourceRule()) return *rule.sourceRule();
  std::string text = std::string("FREQ=") + frequencyName(rule.recurrenceType());
  if (rule.recurrenceInterval() > 1) text += ";INTERVAL=" + std::to_string(rule.recurrenceInterval());
  std::vector<std::string> days;
  for (int d : rule.daysOfTheWeek()) days.push_back(kDayNames[d - 1]);
  for (const zylo::CalNthWeekDay& n : rule.nthWeekDaysOfTheMonth()) {
    days.push_back((n.weekNumber != 0 ? std::to_string(n.weekNumber) : "") + kDayNames[n.dayOfTheWeek - 1]);
  }
  if (!days.empty()) text += ";BYDAY=" + joined(days);
  std::vector<std::string> numbers;
  for (int d : rule.daysOfTheMonth()) numbers.push_back(std::to_string(d));
  if (!numbers.empty()) text += ";BYMONTHDAY=" + joined(numbers);
  numbers.clear();
  for (int m : rule.monthsOfTheYear()) numbers.push_back(std::to_string(m));
  if (!numbers.empty()) text += ";BYMONTH=" + joined(numbers);
  if (rule.firstDayOfTheWeek() >= 1 && rule.firstDayOfTheWeek() <= 7) {
    text += std::string(";WKST=") + kDayNames[rule.firstDayOfTheWeek() - 1];
  }
  if (const auto& end = rule.recurrenceEnd()) {
    if (end->usesEndDate()) {
      text += ";UNTIL=" + takeText(icaltime_as_ical_string_r(untilOfEnd(*end->endDate(), start)));
    } else if (end->occurrenceCount() > 0) {
      text += ";COUNT=" + std::to_string(end->occurrenceCount());
    }
  }
  return text;
}

}  // namespace calendarstore
