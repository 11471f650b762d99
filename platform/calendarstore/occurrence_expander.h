// The occurrences of an event: its rules and extra dates expanded in the
// event's own zone, less the excluded dates, with the overridden ones
// replaced by their overrides.
//
// Thread-safe: every call works on its own expansion of the rules.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_OCCURRENCE_EXPANDER_H_
#define ZYLO_PLATFORM_CALENDARSTORE_OCCURRENCE_EXPANDER_H_

#include <optional>
#include <vector>

#include "platform/calendarstore/item_record.h"

namespace calendarstore {

struct Occurrence {
  // The original start; none for an event that does not repeat.
  std::optional<foundation::Date> occurrence;
  foundation::Date start, end;
  const ComponentRecord* component;  // the main component or an override
  bool isDetached = false;
};

bool repeats(const ItemRecord& event);

// Every occurrence whose span overlaps [from, to); a zero-length one counts
// when its start lies in the range. Unordered. Throws
// zylo::CalendarStoreException when there are more than 100,000.
std::vector<Occurrence> occurrencesBetween(const ItemRecord& event, foundation::Date from,
                                           foundation::Date to);
// The event itself, or a repeating event's first occurrence.
std::optional<Occurrence> firstOccurrence(const ItemRecord& event);
// How many instances the first rule yields before `original`, the event's own
// start among them and excluded ones too, extra dates not: what a COUNT
// counts.
int ruleInstancesBefore(const ItemRecord& event, foundation::Date original);
// Whether the series yields `original` (its start, an extra date or a rule
// date), excluded or not.
bool isOriginal(const ItemRecord& event, foundation::Date original);
// The occurrence whose original start is `original`.
std::optional<Occurrence> occurrenceAt(const ItemRecord& event, foundation::Date original);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_OCCURRENCE_EXPANDER_H_
