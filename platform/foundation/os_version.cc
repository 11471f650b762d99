#include "platform/foundation/os_version.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace foundation {
namespace {

// Digits from the start of `text`, consumed; none when it starts otherwise.
std::optional<int> numberAt(std::string_view& text) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  text.remove_prefix(size_t(end - text.data()));
  return value;
}

// "10.<minor>", with or without ".<patch>", gives the minor's value;
// anything else fails.
std::optional<int> minorOf(std::string_view version) {
  constexpr std::string_view kMajor = "10.";
  if (!version.starts_with(kMajor)) return std::nullopt;
  version.remove_prefix(kMajor.size());
  const std::optional<int> minor = numberAt(version);
  if (!minor) return std::nullopt;
  if (version.starts_with('.')) {
    version.remove_prefix(1);
    if (!numberAt(version)) return std::nullopt;
  }
  return version.empty() ? minor : std::nullopt;
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
