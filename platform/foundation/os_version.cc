#include "platform/foundation/os_version.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace foundation {
namespace {

// "10.<digits>" gives the digits' value; anything else fails.
std::optional<int> minorOf(std::string_view version) {
  constexpr std::string_view kMajor = "10.";
  if (!version.starts_with(kMajor)) return std::nullopt;
  version.remove_prefix(kMajor.size());
  if (version.empty() || version.front() < '0' || version.front() > '9') return std::nullopt;
  int minor = 0;
  auto [end, error] = std::from_chars(version.data(), version.data() + version.size(), minor);
  if (error != std::errc() || end != version.data() + version.size()) return std::nullopt;
  return minor;
}

class EnvironmentOsVersion final : public OsVersion {
 public:
  std::optional<int> minorVersion() const override {
    const char* value = std::getenv("ZYLO_OS_VERSION");
    if (value == nullptr) return std::nullopt;
    return minorOf(value);
  }
};

}  // namespace

std::shared_ptr<const OsVersion> environmentOsVersion() {
  return std::make_shared<const EnvironmentOsVersion>();
}

}  // namespace foundation
