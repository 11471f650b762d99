// The operating-system version query. On this platform the version the
// plug-in should believe it runs on comes from ZYLO_OS_VERSION ("10.8").
#ifndef ZYLO_PLATFORM_FOUNDATION_OS_VERSION_H_
#define ZYLO_PLATFORM_FOUNDATION_OS_VERSION_H_

#include <memory>
#include <optional>

namespace foundation {

class OsVersion {
 public:
  virtual ~OsVersion() = default;
  // The minor version (the y of 10.y), or none when the query fails.
  virtual std::optional<int> minorVersion() const = 0;
};

// Reads ZYLO_OS_VERSION at each query: "10.9" and "10.9.5" answer 9; unset
// or not of the form 10.y or 10.y.z, the query fails.
std::shared_ptr<const OsVersion> environmentOsVersion();

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_OS_VERSION_H_
