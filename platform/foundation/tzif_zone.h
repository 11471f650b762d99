// A zone read from a compiled zone file (TZif, RFC 8536): its listed
// changes of offset, and for the years after the last of them the POSIX TZ
// rule the file ends with.
//
// Not provided: leap seconds (the system's zone files list none), and
// version 1 files without 64-bit data.
#ifndef ZYLO_PLATFORM_FOUNDATION_TZIF_ZONE_H_
#define ZYLO_PLATFORM_FOUNDATION_TZIF_ZONE_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/foundation/posix_tz_rule.h"

namespace foundation {

// Immutable once read; thread-safe.
class TzifZone {
 public:
  // None when `bytes` is not a zone file of version 2 or later.
  static std::optional<TzifZone> parse(std::string_view bytes);

  // Seconds east of GMT at `unixSeconds`.
  int offsetAt(int64_t unixSeconds) const;

 private:
  std::vector<int64_t> changes_;  // ascending, seconds since 1970 UTC
  std::vector<int> offsets_;      // in force from each change on
  int initial_ = 0;               // before the first change
  std::optional<PosixTzRule> rule_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_TZIF_ZONE_H_
