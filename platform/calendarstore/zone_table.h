// The zones an item file's times name: a TZID resolves through the system's
// zoneinfo, else through the file's own VTIMEZONE; floating times and dates
// belong to the default zone, UTC times to UTC. A TZID neither knows is
// matched as its sender meant it where it can be (a Windows name, a
// VTIMEZONE named a little differently), else read in the default zone.
//
// Not thread-safe: used under the store's lock, like every libical call.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ZONE_TABLE_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ZONE_TABLE_H_

#include <libical/ical.h>

#include <map>
#include <memory>
#include <string>

#include "platform/foundation/time_zone.h"

namespace calendarstore {

using ZonePtr = std::shared_ptr<const foundation::TimeZone>;

class ZoneTable {
 public:
  explicit ZoneTable(ZonePtr defaultZone);

  const ZonePtr& defaultZone() const { return default_; }
  const ZonePtr& utc() const { return utc_; }
  // The zone of `tzid`, looked up in the system's zoneinfo (also under the
  // prefixed names some programs write), else made from the VTIMEZONE of
  // that name in `calendar`; null when neither knows it.
  ZonePtr zoneFor(const std::string& tzid, icalcomponent* calendar);

  // The zone a TZID of `calendar` was meant to name, and when it was not
  // found as written, the sentence that says what was read instead.
  struct Match {
    ZonePtr zone;
    std::string repair;
  };
  // zoneFor, else in turn: the name without surrounding blanks, quotes or a
  // trailing colon in the zoneinfo; a Windows zone name or label (CLDR); a
  // VTIMEZONE whose TZID differs only so or in case; the file's only
  // VTIMEZONE; the default zone.
  Match match(const std::string& tzid, icalcomponent* calendar);

 private:
  // The zone a TZID names with no help from the file, with the repair that
  // took, or null.
  Match matchByName(const std::string& tzid);

  ZonePtr default_, utc_;
  std::map<std::string, ZonePtr, std::less<>> system_;
  std::map<std::string, Match, std::less<>> byName_;  // matchByName's answers
};

// The IANA name a TZID stands for: the TZID itself, or what follows a
// "/vendor.example/" style prefix.
std::string ianaNameOf(std::string tzid);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ZONE_TABLE_H_
