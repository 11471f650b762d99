#include "platform/calendarstore/zone_table.h"

#include <algorithm>
#include <cctype>

#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/windows_zones.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

// A zone known only from a file's VTIMEZONE block. libical reads the block;
// the zone keeps its own copy, so it outlives the file's component.
class VtimezoneZone final : public foundation::TimeZone {
 public:
  explicit VtimezoneZone(icalcomponent* vtimezone) : zone_(icaltimezone_new()) {
    // libical takes the copy only from a block with a TZID; one without
    // stays ours to free, and the zone then knows no offset but UTC's.
    icalcomponent* copy = icalcomponent_new_clone(vtimezone);
    if (!icaltimezone_set_component(zone_, copy)) icalcomponent_free(copy);
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

const char* tzidOf(icalcomponent* vtimezone) {
  icalproperty* p = icalcomponent_get_first_property(vtimezone, ICAL_TZID_PROPERTY);
  const char* tzid = p ? icalproperty_get_tzid(p) : nullptr;
  return tzid ? tzid : "";
}

// The first VTIMEZONE of `calendar` whose TZID `same` accepts.
template <class Same>
icalcomponent* vtimezoneWhere(icalcomponent* calendar, Same same) {
  if (calendar == nullptr) return nullptr;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
    if (same(tzidOf(c))) return c;
  }
  return nullptr;
}

// A TZID without what some programs put around it: blanks, quotes, a
// trailing colon.
std::string bare(std::string tzid) {
  auto stray = [](unsigned char c) { return std::isspace(c) || c == '"' || c == '\'' || c == ':'; };
  while (!tzid.empty() && stray(tzid.back())) tzid.pop_back();
  const auto first = std::find_if_not(tzid.begin(), tzid.end(), stray);
  tzid.erase(tzid.begin(), first);
  return tzid;
}

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

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
  if (icalcomponent* vtimezone = vtimezoneWhere(calendar, [&](const char* name) { return tzid == name; })) {
    return std::make_shared<const VtimezoneZone>(vtimezone);
  }
  return nullptr;
}

ZoneTable::Match ZoneTable::matchByName(const std::string& tzid) {
  auto known = byName_.find(tzid);
  if (known != byName_.end()) return known->second;
  Match found;
  const std::string name = bare(tzid);
  if (name != tzid && !name.empty()) {
    if (ZonePtr zone = foundation::namedZone(ianaNameOf(name))) {
      found = {zone, "the zone " + quoted(tzid) + " is read as " + name};
    }
  }
  if (!found.zone) {
    if (auto iana = ianaOfWindowsZone(name)) {
      if (ZonePtr zone = foundation::namedZone(*iana)) {
        found = {zone, "the zone " + quoted(tzid) + " is read as " + *iana + ", the zone CLDR gives that Windows name"};
      }
    }
  }
  byName_.emplace(tzid, found);
  return found;
}

ZoneTable::Match ZoneTable::match(const std::string& tzid, icalcomponent* calendar) {
  if (ZonePtr zone = zoneFor(tzid, calendar)) return {zone, {}};
  if (Match byName = matchByName(tzid); byName.zone) return byName;
  const std::string name = lowered(bare(tzid));
  icalcomponent* near = vtimezoneWhere(calendar, [&](const char* other) { return lowered(bare(other)) == name; });
  if (near) {
    return {std::make_shared<const VtimezoneZone>(near),
            "the zone " + quoted(tzid) + " is read by the file's VTIMEZONE " + quoted(tzidOf(near))};
  }
  int count = 0;
  vtimezoneWhere(calendar, [&](const char*) { return ++count > 1; });
  // The only block, when it is one libical can read (it names itself).
  icalcomponent* only = count == 1 ? vtimezoneWhere(calendar, [](const char*) { return true; }) : nullptr;
  if (only && *tzidOf(only) != '\0') {
    return {std::make_shared<const VtimezoneZone>(only),
            "the zone " + quoted(tzid) + " is unknown; it is read by the file's only VTIMEZONE " +
                quoted(tzidOf(only))};
  }
  return {default_, "the zone " + quoted(tzid) + " is unknown; its times are read in the default zone" +
                        (default_->name() ? " (" + *default_->name() + ")" : std::string())};
}

}  // namespace calendarstore
