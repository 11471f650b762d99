#include "plugin/platform_services.h"

namespace zylo {

PlatformServices systemPlatformServices() {
  return {foundation::systemDefaultZone(), foundation::systemClock(),
          foundation::environmentOsVersion(), [] { return std::shared_ptr<CalendarStore>(); }};
}

}  // namespace zylo
