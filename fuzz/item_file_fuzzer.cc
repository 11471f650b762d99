// Item files as any program might write them: reading one, expanding its
// occurrences over a year and describing its rule must never crash, nor take
// longer than the run's -timeout.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/occurrence_expander.h"
#include "platform/calendarstore/rule_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static calendarstore::ZoneTable zones(foundation::fixedOffsetZone(3600));
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  calendarstore::ReadOutcome read = calendarstore::readItemFile(bytes, zones);
  if (!read.item) return 0;
  using namespace std::chrono;
  const foundation::Date from = sys_days{year{2026} / 1 / 1};
  try {
    calendarstore::occurrencesBetween(*read.item, from, from + days{366});
  } catch (const zylo::CalendarStoreException&) {
    // More occurrences than one fetch answers: refused, as it should be.
  }
  calendarstore::firstOccurrence(*read.item);
  if (read.item->main.rrule && read.item->main.start) {
    auto rule = calendarstore::ruleFromText(*read.item->main.rrule, *read.item->main.start);
    if (rule) calendarstore::ruleText(*rule, *read.item->main.start);
  }
  return 0;
}
