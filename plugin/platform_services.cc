#include "plugin/platform_services.h"

#include <optional>

namespace zylo {
namespace {

std::optional<PlatformServices>& installed() {
  static std::optional<PlatformServices> services;
  return services;
}

}  // namespace

const PlatformServices& platformServices() {
  if (!installed()) installed() = systemPlatformServices();
  return *installed();
}

void installPlatformServices(PlatformServices services) { installed() = std::move(services); }

}  // namespace zylo
