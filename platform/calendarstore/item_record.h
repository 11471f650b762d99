// What the store keeps of one item file once it has read it: the fields the
// calendar model shows, of the main component and of each override, without
// libical's components (which are kept by nobody between calls).
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_RECORD_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_RECORD_H_

#include <optional>
#include <string>
#include <vector>

#include "calendar/cal_attendee.h"
#include "calendar/cal_recurrence_rule.h"
#include "platform/calendarstore/zone_table.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"
#include "platform/foundation/time_zone.h"

namespace calendarstore {

// A time as the file wrote it, with the instant it names.
struct StoredTime {
  foundation::Date instant;
  foundation::LocalDateTime local;  // wall-clock fields in `zone`
  ZonePtr zone;                     // UTC for a "Z" time, the default zone when floating
  bool isDate = false;
  bool isFloating = false;          // a date-time without zone or "Z"
};

// An extra date of a series (RDATE), with its own end when it was written
// as a period.
struct ExtraDate {
  StoredTime start;
  std::optional<foundation::Date> end;
};

// An alarm's trigger: an offset from the start or end, or a fixed instant.
struct AlarmTrigger {
  std::optional<foundation::Date> absolute;
  int64_t offsetSeconds = 0;
  bool fromEnd = false;
};

// One VEVENT or VTODO.
struct ComponentRecord {
  foundation::String uid;
  foundation::OptionalString title, notes, location, url;
  std::optional<foundation::Date> dateStamp;
  std::optional<StoredTime> start;
  // An event's length: from DTEND, DURATION, or the defaults for a missing
  // end (none for a time, one day for a date).
  int64_t durationSeconds = 0;
  // Whole days of that length, counted on the calendar: an all-day event's,
  // or those of a DURATION (which durationSeconds counts as 24 hours each).
  int durationDays = 0;
  std::optional<foundation::Date> recurrenceId;
  bool thisAndFuture = false;  // RANGE=THISANDFUTURE: the override reaches every later occurrence
  std::optional<std::string> rrule;  // the RRULE text
  // Further RRULEs: the series is the union of every rule's dates.
  std::vector<std::string> moreRrules;
  std::vector<ExtraDate> rdates;
  std::vector<foundation::Date> exdates;
  // Days excluded as dates (EXDATE;VALUE=DATE), as days since 1970 in the
  // series' zone: every occurrence starting on such a day is excluded.
  std::vector<int64_t> exdateDays;
  std::vector<zylo::CalAttendee> attendees;
  bool hasAttendees = false;
  std::vector<AlarmTrigger> alarms;
  // Tasks.
  std::optional<foundation::Date> due, completed;
  bool isCompleted = false;
  int priority = 0;
};

enum class ItemKind { kEvent, kTask };

// One item file.
struct ItemRecord {
  ItemKind kind = ItemKind::kEvent;
  ComponentRecord main;
  std::vector<ComponentRecord> overrides;  // events only, by RECURRENCE-ID
  zylo::CalRecurrenceRule::Ptr rule;       // the model's view of the main RRULE
  // The file holds only changed occurrences of a series kept elsewhere:
  // `main` is not in the file but stands for the series, its start and
  // extra dates the occurrences' RECURRENCE-IDs.
  bool withoutSeries = false;
  // What the reader mended to read the file as its sender meant it, one
  // sentence each; listed for the administrator.
  std::vector<std::string> repairs;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_RECORD_H_
