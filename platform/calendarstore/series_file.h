// One event file's series as libical components, and the edits a save
// makes to it: moving the whole series, ending it before an occurrence,
// keeping only what lies from an occurrence on, and dropping exceptions
// that no occurrence matches any more. Every property an edit does not
// concern stays as it was written, in its own form.
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_SERIES_FILE_H_
#define ZYLO_PLATFORM_CALENDARSTORE_SERIES_FILE_H_

#include <libical/ical.h>

#include <optional>
#include <vector>

#include "platform/calendarstore/item_record.h"
#include "platform/calendarstore/series_edit.h"
#include "platform/calendarstore/zone_table.h"

namespace calendarstore {

class SeriesFile {
 public:
  // `calendar` is the VCALENDAR of one event file, owned by the caller;
  // REQUIRES: it reads as an event with a start.
  SeriesFile(icalcomponent* calendar, ZoneTable& zones);

  icalcomponent* calendar() const { return calendar_; }
  // The main component; an edit may replace it, so it is asked for anew
  // after each.
  icalcomponent* main() const { return main_; }
  // The main component's start: its form and the zone the series lives in.
  const StoredTime& start() const { return start_; }
  // The file as the store reads it now, edits included.
  ItemRecord record() const;

  std::vector<icalcomponent*> overrides() const;
  // The override of the occurrence whose original start is `original`.
  icalcomponent* overrideOf(foundation::Date original) const;
  // A new override of that occurrence: a copy of the main component without
  // its repetition, at the occurrence's original times.
  icalcomponent* addOverride(foundation::Date original);

  // Moves every occurrence by `shift`: the start, end, extra dates,
  // exceptions, overrides' identities and the rule's end; with `ruleDays`
  // also the days its rule names. An override keeps a time of its own.
  void move(const WallShift& shift, bool ruleDays);
  // Removes the occurrence `original`: its override goes, an exclusion
  // names it.
  void exclude(foundation::Date original);
  // Ends the series just before `original`: what lies from it on goes.
  // REQUIRES: an occurrence lies before `original`.
  void endBefore(foundation::Date original);
  // Starts the series at `original`: what lies before it goes, and a count
  // keeps only the instances still to come.
  void startAt(foundation::Date original);
  // A single event again: no rule, extra dates, exceptions or overrides.
  void dropRepetition();
  // Removes overrides and exceptions that no occurrence of the rule matches
  // (after the rule changed).
  void dropOrphans();

 private:
  std::optional<foundation::Date> instantOf(icalproperty* p, icaltimetype t) const;
  std::optional<foundation::Date> recurrenceIdOf(icalcomponent* c) const;
  // Whether an override keeps a start or length other than its series'.
  bool hasOwnTime(icalcomponent* override, const ItemRecord& before) const;
  void moveSpan(icalcomponent* c, const WallShift& shift);
  icaltimetype moved(icaltimetype t, std::chrono::seconds shift) const;
  // endBefore for an `original` at or before the start: only extra dates
  // are left.
  void keepExtraDatesBefore(foundation::Date original);
  // Removes the main component's dates (RDATE or EXDATE) that `drop` picks.
  template <class Pick>
  void dropDates(icalproperty_kind kind, Pick drop);
  // Removes the overrides, extra dates and exclusions whose occurrence
  // `drop` picks.
  template <class Pick>
  void dropWhere(Pick drop);

  icalcomponent* calendar_;
  ZoneTable& zones_;
  icalcomponent* main_ = nullptr;
  StoredTime start_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_SERIES_FILE_H_
