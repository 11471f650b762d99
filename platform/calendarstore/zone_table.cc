#include "platform/calendarstore/zone_table.h"

#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/ical_time.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

// A zone known only from a file's VTIMEZONE block. libical reads the block;
// the zone keeps its own copy, so it outlives the file's component.
class VtimezoneZone final : public foundation::TimeZone {
 public:
  explicit VtimezoneZone(icalcomponent* vtimezone) : zone_(icaltimezone_new()) {
    icaltimezone_set_component(zone_, icalcomponent_new_clone(vtimezone));
  }
  ~VtimezoneZone() override { icaltimezone_free(zone_, 1); }
  VtimezoneZone(const VtimezoneZone&) = delete;
  VtimezoneZone& operator=(const VtimezoneZone&) = delete;

  int secondsFromGMT(foundation::Date at) const override {
    const int64_t seconds = at.time_since_epoch().count();
    icaltimetype utc = icalTimeOf(foundation::localFields(seconds), false);
    return icaltimezone_get_utc_offset_of_utc_time(zone_, &utc, nullptr);
  }
  // libical knows the block's offset at each instant; which instant wall
  // fields in a gap or a repeat name is decided as for every other zone.
  foundation::Date dateFromLocal(const foundation::LocalDateTime& local) const override {
    return foundation::dateFromLocalByOffsets(local, *this);
  }
  std::optional<std::string> name() const override { return std::nullopt; }

 private:
  icaltimezone* zone_;
};

icalcomponent* vtimezoneNamed(icalcomponent* calendar, const std::string& tzid) {
  if (calendar == nullptr) return nullptr;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_TZID_PROPERTY);
    if (p && tzid == icalproperty_get_tzid(p)) return c;
  }
  return nullptr;
}

}  // namespace

std::string ianaNameOf(std::string tzid) {
  if (tzid.starts_with('/')) {
    const size_t second = tzid.find('/', 1);
    if (second != std::string::npos) tzid.erase(0, second + 1);
  }
  return tzid;
}

ZoneTable::ZoneTable(ZonePtr defaultZone)
    : default_(std::move(defaultZone)), utc_(foundation::fixedOffsetZone(0)) {}

ZonePtr ZoneTable::zoneFor(const std::string& tzid, icalcomponent* calendar) {
  auto known = system_.find(tzid);
  if (known != system_.end() && known->second) return known->second;
  if (known == system_.end()) {
    known = system_.emplace(tzid, foundation::namedZone(ianaNameOf(tzid))).first;
    if (known->second) return known->second;
  }
  // Unknown to the system: each file's own definition counts for that file.
  if (icalcomponent* vtimezone = vtimezoneNamed(calendar, tzid)) {
    return std::make_shared<const VtimezoneZone>(vtimezone);
  }
  return nullptr;
}

}  // namespace calendarstore
