// Reads one item file into the store's record of it.
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_READER_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_READER_H_

#include <libical/ical.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/calendarstore/item_record.h"
#include "platform/calendarstore/zone_table.h"

namespace calendarstore {

struct ReadOutcome {
  std::optional<ItemRecord> item;
  std::string problem;  // why the file is not an item, when it is not
};

// A file is an item when it holds one VCALENDAR with one event or one task
// (a repeating event with its overrides, or changed occurrences of a series
// without it, all under one UID). What the file gets wrong is mended where
// its sender's meaning is plain (item_repairs.h, zone_table.h) and listed
// in the record's repairs.
ReadOutcome readItemFile(std::string_view bytes, ZoneTable& zones);

// The same for a calendar component already parsed; the mending is done
// in `calendar` (a save writes it), superseded copies removed from it.
ReadOutcome readItemCalendar(icalcomponent* calendar, ZoneTable& zones);

// The instant a time property of `calendar` names (`t` its value).
std::optional<foundation::Date> instantOfTime(icalproperty* p, icaltimetype t, icalcomponent* calendar,
                                              ZoneTable& zones);

// One VEVENT or VTODO of `calendar`.
ComponentRecord readComponent(icalcomponent* component, icalcomponent* calendar, ZoneTable& zones);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_READER_H_
