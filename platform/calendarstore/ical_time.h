// Wall-clock fields to and from libical's time values. The fields carry no
// zone: converting them to an instant is the zone table's job, never
// libical's.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ICAL_TIME_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ICAL_TIME_H_

#include <libical/ical.h>

#include <cstdio>

#include "platform/foundation/time_zone.h"

namespace calendarstore {

// libical works out rules (repetitions, and a zone's changes in a
// VTIMEZONE) no further than the end of this year.
inline constexpr int kLastRuleYear = 2582;

// A floating time (or with `isDate` a date) of the fields.
inline icaltimetype icalTimeOf(const foundation::LocalDateTime& l, bool isDate) {
  icaltimetype t = icaltime_null_time();
  t.year = l.year, t.month = l.month, t.day = l.day;
  if (isDate) {
    t.is_date = 1;
  } else {
    t.hour = l.hour, t.minute = l.minute, t.second = l.second;
  }
  return t;
}

// A DATE or DATE-TIME value of `t` (UTC when `t` is), made from text:
// libical's own constructors refuse the years after 3000, which files and
// the host hold all the same.
inline icalvalue* timeValue(const icaltimetype& t) {
  char text[40];
  if (t.is_date) {
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
  } else {
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, icaltime_is_utc(t) ? "Z" : "");
  }
  return icalvalue_new_from_string(t.is_date ? ICAL_DATE_VALUE : ICAL_DATETIME_VALUE, text);
}

inline foundation::LocalDateTime fieldsOf(const icaltimetype& t) {
  return {t.year, t.month, t.day, t.is_date ? 0 : t.hour, t.is_date ? 0 : t.minute,
          t.is_date ? 0 : t.second};
}

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ICAL_TIME_H_
