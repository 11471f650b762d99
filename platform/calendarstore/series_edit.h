// How an edit of one occurrence reaches the rest of its series.
//
// A series moves on the wall clock of its own zone: by calendar days and
// time of day, never by elapsed seconds, so that a meeting at 10:00 stays at
// 10:00 across a clock change and an all-day event moves by whole days. Its
// exceptions, extra dates, changed occurrences, end and the days its rule
// names move with it; times keep the form they were written in.
//
// Pure: no file, no store. libical's value types serve as plain data.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_SERIES_EDIT_H_
#define ZYLO_PLATFORM_CALENDARSTORE_SERIES_EDIT_H_

#include <libical/ical.h>

#include <chrono>
#include <cstdint>

#include "platform/calendarstore/item_record.h"
#include "platform/foundation/time_zone.h"

namespace calendarstore {

// How far an occurrence's start and end move on the wall clock.
struct WallShift {
  std::chrono::seconds start{0}, end{0};
  bool moves() const { return start.count() != 0 || end.count() != 0; }
};

// The move from an occurrence as it was read to the times a script gave
// it, on the wall clock of `zone`. A bound not given does not move.
WallShift wallShiftBetween(foundation::Date shownStart, foundation::Date shownEnd,
                           std::optional<foundation::Date> newStart,
                           std::optional<foundation::Date> newEnd, const foundation::TimeZone& zone);

foundation::LocalDateTime shiftedWall(const foundation::LocalDateTime& local, std::chrono::seconds shift);

// How many calendar days the date of `local` changes by when it moves by
// `shift`.
int64_t dayShift(const foundation::LocalDateTime& local, std::chrono::seconds shift);

// A time of a series moved by `shift`, in the form it was written in: a
// date by `days` (the days the series' start moved), a floating or zoned
// time on its own wall clock, a UTC time on the wall clock of `zone`.
icaltimetype shiftedTime(icaltimetype t, std::chrono::seconds shift, int64_t days,
                         const foundation::TimeZone& zone);

// The rule's lists of weekdays, days of the month and months, moved with a
// series whose start moves from `start` by `shift`. Its UNTIL is not
// touched (it is a time: shiftedTime moves it).
void shiftRuleDays(icalrecurrencetype& rule, const foundation::LocalDateTime& start,
                   std::chrono::seconds shift);

// The UNTIL that ends a series starting at `start` just before `original`,
// in the value type its start requires: a date for a date, a floating time
// for a floating time, UTC otherwise.
icaltimetype untilBefore(foundation::Date original, const StoredTime& start);

// The same UNTIL form for a series that ends at `last` (inclusive).
icaltimetype untilAt(foundation::Date last, const StoredTime& start);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_SERIES_EDIT_H_
