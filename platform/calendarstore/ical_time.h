// Wall-clock fields to and from libical's time values. The fields carry no
// zone: converting them to an instant is the zone table's job, never
// libical's.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ICAL_TIME_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ICAL_TIME_H_

#include <libical/ical.h>

#include "platform/foundation/time_zone.h"

namespace calendarstore {

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

inline foundation::LocalDateTime fieldsOf(const icaltimetype& t) {
  return {t.year, t.month, t.day, t.is_date ? 0 : t.hour, t.is_date ? 0 : t.minute,
          t.is_date ? 0 : t.second};
}

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ICAL_TIME_H_
