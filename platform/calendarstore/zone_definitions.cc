#include "platform/calendarstore/zone_definitions.h"

#include <array>
#include <map>
#include <tuple>

#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/zone_observances.h"
#include "platform/calendarstore/zone_table.h"

namespace calendarstore {
namespace {

using Fields = std::tuple<int, int, int, int, int, int>;

Fields fieldsOf(const icaltimetype& t) { return {t.year, t.month, t.day, t.hour, t.minute, t.second}; }

// The time a property names, or the null time: a date-time, or the start
// of an RDATE's period.
icaltimetype timeOf(icalproperty* p) {
  icalvalue* v = icalproperty_get_value(p);
  if (v == nullptr) return icaltime_null_time();
  switch (icalvalue_isa(v)) {
    case ICAL_DATETIME_VALUE:
    case ICAL_DATE_VALUE: return icalvalue_get_datetime(v);
    case ICAL_PERIOD_VALUE: return icalvalue_get_period(v).start;
    case ICAL_DATETIMEPERIOD_VALUE: {
      const icaldatetimeperiodtype value = icalvalue_get_datetimeperiod(v);
      return icaltime_is_null_time(value.time) ? value.period.start : value.time;
    }
    default: return icaltime_null_time();
  }
}

// The earliest local time named under each TZID in `c` and its children.
void collectEarliest(icalcomponent* c, std::map<std::string, Fields>& earliest) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
       p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
    icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
    if (tzid == nullptr || icalparameter_get_tzid(tzid) == nullptr) continue;
    const icaltimetype t = timeOf(p);
    if (icaltime_is_null_time(t)) continue;
    auto [at, added] = earliest.emplace(icalparameter_get_tzid(tzid), fieldsOf(t));
    if (!added && fieldsOf(t) < at->second) at->second = fieldsOf(t);
  }
  for (icalcomponent* child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
       child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    if (icalcomponent_isa(child) != ICAL_VTIMEZONE_COMPONENT) collectEarliest(child, earliest);
  }
}

icalcomponent* vtimezoneNamed(icalcomponent* calendar, const std::string& tzid) {
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_TZID_PROPERTY);
    if (p && tzid == icalproperty_get_tzid(p)) return c;
  }
  return nullptr;
}

// Whether the block has an observance in force at `at` (local fields).
bool reachesBack(icalcomponent* vtimezone, const Fields& at) {
  for (icalcomponent* o = icalcomponent_get_first_component(vtimezone, ICAL_ANY_COMPONENT); o;
       o = icalcomponent_get_next_component(vtimezone, ICAL_ANY_COMPONENT)) {
    icalproperty* start = icalcomponent_get_first_property(o, ICAL_DTSTART_PROPERTY);
    if (start && fieldsOf(icalproperty_get_dtstart(start)) <= at) return true;
  }
  return false;
}

// The zone's definition from a day before `from` on, named `tzid`.
icalcomponent* definitionFrom(const std::string& tzid, const Fields& from) {
  const auto zone = foundation::namedZone(ianaNameOf(tzid));
  if (zone == nullptr) return nullptr;
  foundation::LocalDateTime l;
  std::tie(l.year, l.month, l.day, l.hour, l.minute, l.second) = from;
  // libical reads a VTIMEZONE's rules no further than its last rule year: a
  // block for later times starts then and reaches them through its rules.
  if (l.year > kLastRuleYear) l = {kLastRuleYear, 1, 1, 0, 0, 0};
  const std::string text = vtimezoneText(tzid, *zone, zone->dateFromLocal(l));
  return icalcomponent_new_from_string(text.c_str());
}

}  // namespace

bool isUtcName(std::string_view name) {
  static constexpr std::array<std::string_view, 9> kNames = {"UTC",       "UCT",       "GMT",
                                                             "GMT0",      "GMT+0",     "GMT-0",
                                                             "Greenwich", "Universal", "Zulu"};
  if (name.starts_with("Etc/")) name.remove_prefix(4);
  for (std::string_view utc : kNames) {
    if (name == utc) return true;
  }
  return false;
}

bool hasDefinition(const std::string& name) { return foundation::namedZone(name) != nullptr; }

void fitVtimezones(icalcomponent* calendar) {
  std::map<std::string, Fields> earliest;
  collectEarliest(calendar, earliest);
  for (const auto& [tzid, at] : earliest) {
    icalcomponent* existing = vtimezoneNamed(calendar, tzid);
    if (existing && reachesBack(existing, at)) continue;
    icalcomponent* fresh = definitionFrom(tzid, at);
    if (fresh == nullptr) continue;
    if (existing) {
      icalcomponent_remove_component(calendar, existing);
      icalcomponent_free(existing);
    }
    icalcomponent_add_component(calendar, fresh);
  }
}

}  // namespace calendarstore
