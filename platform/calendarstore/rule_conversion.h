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

// The model's view of an RRULE of an event starting at `start`: its
// frequency's type (kOther for one the model has no name for, such as
// HOURLY) and the parts the model holds; the text is kept whole for what
// the model cannot express.
zylo::CalRecurrenceRule::Ptr ruleFromText(const std::string& rrule, const StoredTime& start);

// The RRULE text of a rule: the text it was read from when it has one,
// else built from its parts; an end date is written in UTC, or as a date
// for an all-day event. An end at midnight in the event's zone is a date
// the series runs through, and reads back as that midnight.
std::string ruleText(const zylo::CalRecurrenceRule& rule, const StoredTime& start);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_RULE_CONVERSION_H_
