// What the plug-in asks of the machine, behind one seam: the default time
// zone, the operating-system version and the calendar store. The plug-in
// uses the system's; tests install their own before start-up.
#ifndef ZYLO_PLUGIN_PLATFORM_SERVICES_H_
#define ZYLO_PLUGIN_PLATFORM_SERVICES_H_

#include <functional>
#include <memory>

#include "calendar/calendar_store.h"
#include "platform/foundation/os_version.h"
#include "platform/foundation/time_zone.h"

namespace calendarstore {
class StoreEnvironment;
}

namespace zylo {

struct PlatformServices {
  std::shared_ptr<const foundation::TimeZone> timeZone;
  std::shared_ptr<const foundation::OsVersion> osVersion;
  // The calendar store, asked anew for every operation; may throw
  // CalendarStoreException when the store cannot be opened.
  std::function<std::shared_ptr<CalendarStore>()> calendarStore;
  // Starts, once, posting the store's notices of other programs' changes on
  // the default notification centre; and stops them again, before the
  // plug-in is unloaded.
  std::function<void()> watchStore;
  std::function<void()> stopWatchingStore;
};

// The installed services; the system's until a test installs others.
// Host calculation thread only.
const PlatformServices& platformServices();
void installPlatformServices(PlatformServices services);

// The machine's: the zone from TZ, the version from ZYLO_OS_VERSION, and the
// vdir store in the folders `environment` gives (default_root.h), opened on
// first use; while none is set, asking for the store throws
// CalendarStoreException saying what to set.
PlatformServices systemPlatformServices();
PlatformServices systemPlatformServices(std::shared_ptr<const calendarstore::StoreEnvironment> environment);

}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLATFORM_SERVICES_H_
