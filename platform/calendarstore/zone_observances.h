// A VTIMEZONE for a zone of the system's zoneinfo, as compact as the times
// it serves allow: the observance in force at their earliest, the changes
// of offset listed singly until the zone's current yearly rule holds, and
// that rule as one RRULE block per change. Each block is DAYLIGHT when its
// offset lies above the zone's standard offset around it, else STANDARD.
//
// Not provided: TZNAME (the zone interface knows no abbreviations); two
// changes of offset less than two days apart count as one.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ZONE_OBSERVANCES_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ZONE_OBSERVANCES_H_

#include <string>

#include "platform/foundation/time_zone.h"

namespace calendarstore {

// The VTIMEZONE text (BEGIN to END, lines ending in CR LF) naming `zone`
// `tzid`, valid from the day before `from` on.
std::string vtimezoneText(const std::string& tzid, const foundation::TimeZone& zone, foundation::Date from);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ZONE_OBSERVANCES_H_
