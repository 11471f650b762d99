#include "platform/calendarstore/item_repairs.h"

#include <map>

#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/write_support.h"

namespace calendarstore {
namespace {

int sequenceOf(icalcomponent* c) {
  icalproperty* p = icalcomponent_get_first_property(c, ICAL_SEQUENCE_PROPERTY);
  return p ? icalproperty_get_sequence(p) : 0;
}

icaltimetype stampOf(icalcomponent* c, icalproperty_kind kind) {
  icalproperty* p = icalcomponent_get_first_property(c, kind);
  return p ? icalvalue_get_datetime(icalproperty_get_value(p)) : icaltime_null_time();
}

// How `later` (after `earlier` in the file) compares with it: above zero
// when it supersedes it. Both stamps are UTC times.
int supersedes(icalcomponent* later, icalcomponent* earlier, const char*& by) {
  if (int d = sequenceOf(later) - sequenceOf(earlier)) return by = "the higher SEQUENCE", d;
  for (auto [kind, name] : {std::pair{ICAL_LASTMODIFIED_PROPERTY, "the later LAST-MODIFIED"},
                            std::pair{ICAL_DTSTAMP_PROPERTY, "the later DTSTAMP"}}) {
    if (int d = icaltime_compare(stampOf(later, kind), stampOf(earlier, kind))) return by = name, d;
  }
  by = "the last in the file";
  return 1;
}

std::string copiesOf(icalcomponent* c, size_t count) {
  std::string what = count == 2 ? "two copies of " : std::to_string(count) + " copies of ";
  icalproperty* id = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
  if (id == nullptr) return what + (icalcomponent_isa(c) == ICAL_VTODO_COMPONENT ? "the task" : "the event");
  return what + "the changed occurrence " + icalproperty_get_value_as_string(id);
}

}  // namespace

std::vector<std::string> keepLatestCopies(
    icalcomponent* calendar, icalcomponent_kind kind,
    const std::function<std::optional<foundation::Date>(icalcomponent*)>& recurrenceIdOf) {
  // A component with a RECURRENCE-ID that names no instant keeps its own
  // place: nothing says which occurrence it is a copy of.
  std::map<std::pair<std::string, std::optional<foundation::Date>>, std::vector<icalcomponent*>> copies;
  for (icalcomponent* c : componentsOf(calendar, kind)) {
    const bool changedOccurrence = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
    const auto id = changedOccurrence ? recurrenceIdOf(c) : std::nullopt;
    if (changedOccurrence && !id) continue;
    const char* uid = icalcomponent_get_uid(c);
    copies[{uid ? uid : "", id}].push_back(c);
  }
  std::vector<std::string> repairs;
  for (auto& [key, list] : copies) {
    if (list.size() < 2) continue;
    icalcomponent* kept = list.front();
    const char* by = "";
    for (size_t i = 1; i < list.size(); ++i) {
      if (supersedes(list[i], kept, by) > 0) kept = list[i];
    }
    // Said by the rule that decided against the copy kept's nearest rival.
    for (icalcomponent* c : list) {
      if (c != kept) supersedes(kept, c, by);
    }
    repairs.push_back("the file holds " + copiesOf(kept, list.size()) + "; the one with " + by + " is read");
    for (icalcomponent* c : list) {
      if (c != kept) removeComponent(calendar, c);
    }
  }
  return repairs;
}

std::vector<std::string> mendAllDayDates(icalcomponent* calendar) {
  icalcomponent* main = nullptr;
  for (icalcomponent* c : componentsOf(calendar, ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) main = c;
  }
  icalproperty* start = main ? icalcomponent_get_first_property(main, ICAL_DTSTART_PROPERTY) : nullptr;
  if (start == nullptr || !icalproperty_get_dtstart(start).is_date) return {};
  // The date as written, whatever zone the time was in.
  auto toDate = [](icalproperty* p) {
    const icaltimetype t = icalvalue_get_datetime(icalproperty_get_value(p));
    if (t.is_date || icaltime_is_null_time(t)) return false;
    icalproperty_set_value(p, timeValue(icalTimeOf(fieldsOf(t), true)));
    icalproperty_remove_parameter_by_kind(p, ICAL_TZID_PARAMETER);
    return true;
  };
  bool ids = false, exdates = false;
  for (icalcomponent* c : componentsOf(calendar, ICAL_VEVENT_COMPONENT)) {
    if (icalproperty* id = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) ids |= toDate(id);
  }
  for (icalproperty* p : propertiesOf(main, ICAL_EXDATE_PROPERTY)) exdates |= toDate(p);
  std::vector<std::string> repairs;
  if (ids) repairs.push_back("the all-day series names changed occurrences by date-times; they are matched by their dates");
  if (exdates) repairs.push_back("the all-day series excludes date-times; the dates they fall on as written are excluded");
  return repairs;
}

}  // namespace calendarstore
