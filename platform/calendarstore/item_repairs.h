// What calendar programs commonly write wrong in an item file, mended in
// the parsed calendar before it is read, so that the file reads as its
// sender meant it; a save then writes the mended form. Each step answers
// one sentence for each kind of repair it made (none when the file needed
// none).
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_REPAIRS_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_REPAIRS_H_

#include <libical/ical.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/date.h"

namespace calendarstore {

// Of several copies of one component of kind `kind` (an edit that kept the
// old copy: the same UID and RECURRENCE-ID, or none), keeps the one with the
// highest SEQUENCE, then the latest LAST-MODIFIED, then DTSTAMP, then the
// last in the file; the others are removed from `calendar`.
// `recurrenceIdOf` answers the instant a component's RECURRENCE-ID names.
std::vector<std::string> keepLatestCopies(
    icalcomponent* calendar, icalcomponent_kind kind,
    const std::function<std::optional<foundation::Date>(icalcomponent*)>& recurrenceIdOf);

// In a series of dates, RECURRENCE-IDs and EXDATEs written as date-times
// become the dates they name as written (in whatever zone, or none).
std::vector<std::string> mendAllDayDates(icalcomponent* calendar);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_REPAIRS_H_
