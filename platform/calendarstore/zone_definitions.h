// The VTIMEZONE blocks of an item file: made from the system's zoneinfo,
// holding each zone's changes from the file's earliest time on rather than
// its whole history (see zone_observances.h).
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ZONE_DEFINITIONS_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ZONE_DEFINITIONS_H_

#include <libical/ical.h>

#include <string>
#include <string_view>

namespace calendarstore {

// Whether `name` is one of the tz database's names for UTC ("UTC", "GMT",
// "Etc/UTC", "Zulu", ...): times in it are written as UTC times.
bool isUtcName(std::string_view name);

// Whether a VTIMEZONE can be made for the IANA zone `name` (the system's
// zoneinfo knows it).
bool hasDefinition(const std::string& name);

// Gives each TZID that a time of `calendar` names a VTIMEZONE reaching back
// to the earliest such time. A block that already does stays as it was; one
// that does not, or a missing one, is made afresh when the TZID names an
// IANA zone. Unknown TZIDs keep what the file holds.
void fitVtimezones(icalcomponent* calendar);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ZONE_DEFINITIONS_H_
