// How the process's default zone is found, apart from the process itself so
// that the rules can be checked without touching the real environment.
//
// Not provided: POSIX rule strings ("CET-1CEST,M3.5.0,M10.5.0/3"), zone files
// outside the system's zoneinfo, and /etc/timezone.
#ifndef ZYLO_PLATFORM_FOUNDATION_DEFAULT_ZONE_H_
#define ZYLO_PLATFORM_FOUNDATION_DEFAULT_ZONE_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/foundation/time_zone.h"

namespace foundation {

// The zone named by the TZ value `tz` (none when TZ is unset): a zone name,
// with or without a leading ':', or an absolute path below the zoneinfo
// folder; an unknown or empty value gives UTC. With TZ unset, the zone is
// the one the symbolic link `localtime` points at inside a zoneinfo folder,
// else UTC. Never null.
std::shared_ptr<const TimeZone> defaultZoneFor(std::optional<std::string_view> tz,
                                               const std::filesystem::path& localtime);

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_DEFAULT_ZONE_H_
