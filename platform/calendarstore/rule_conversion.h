// Recurrence rules between the calendar model and RRULE text.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_RULE_CONVERSION_H_
#define ZYLO_PLATFORM_CALENDARSTORE_RULE_CONVERSION_H_

#include <libical/ical.h>

#include <string>

#include "calendar/cal_recurrence_rule.h"
#include "platform/calendarstore/item_record.h"

namespace calendarstore {

// The instant an RRULE's UNTIL names for an event starting at `start`: a UTC
// time as written, a local time in the event's zone, a date at its first
// second or, with `wholeDay`, its last. For an all-day event a time counts
// as the date written.
foundation::Date untilInstant(const icaltimetype& until, const StoredTime& start, bool wholeDay);

// The model's view of an RRULE of an event starting at `start`. A rule the
// model cannot express fully has type kOther and keeps its text.
zylo::CalRecurrenceRule::Ptr ruleFromText(const std::string& rrule, const StoredTime& start);

// The RRULE text of a rule: the text it was read from when it has one,
// else built from its parts; an end date is written in UTC, or as a date
// for an all-day event.
std::string ruleText(const zylo::CalRecurrenceRule& rule, const StoredTime& start);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_RULE_CONVERSION_H_
