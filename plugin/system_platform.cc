#include "platform/calendarstore/change_watcher.h"
#include "platform/calendarstore/default_root.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "plugin/platform_services.h"

#include <mutex>

namespace zylo {
namespace {

// One store per calendar folder, made on first use and kept, so that its
// index and caches serve every later call. The folders are found anew on
// every call, so that a changed setting takes effect. Thread-safe: every
// session asks.
class SystemStore {
 public:
  explicit SystemStore(std::shared_ptr<const calendarstore::StoreEnvironment> environment)
      : environment_(std::move(environment)) {}

  std::shared_ptr<CalendarStore> get() {
    std::lock_guard guard(lock_);
    return current();
  }

  void watch() {
    std::lock_guard guard(lock_);
    current();
    if (!watcher_) {
      watcher_ = std::make_unique<calendarstore::ChangeWatcher>(*store_, root_,
                                                                foundation::NotificationCenter::defaultCenter());
    }
  }

  void stopWatching() {
    std::lock_guard guard(lock_);
    watcher_.reset();
  }

 private:
  std::shared_ptr<calendarstore::VdirCalendarStore> current() {
    const calendarstore::StoreFolders folders = calendarstore::storeFolders(*environment_);
    if (!store_ || folders.calendars.path != root_) {
      watcher_.reset();
      store_.reset();
      store_ = calendarstore::openStore(folders);
      root_ = folders.calendars.path;
    }
    return store_;
  }

  const std::shared_ptr<const calendarstore::StoreEnvironment> environment_;
  std::mutex lock_;  // guards what follows
  std::filesystem::path root_;
  std::shared_ptr<calendarstore::VdirCalendarStore> store_;
  std::unique_ptr<calendarstore::ChangeWatcher> watcher_;
};

}  // namespace

PlatformServices systemPlatformServices() {
  return systemPlatformServices(calendarstore::systemStoreEnvironment());
}

PlatformServices systemPlatformServices(std::shared_ptr<const calendarstore::StoreEnvironment> environment) {
  auto store = std::make_shared<SystemStore>(std::move(environment));
  return {foundation::systemDefaultZone(), foundation::environmentOsVersion(), [store] { return store->get(); },
          [store] { store->watch(); }, [store] { store->stopWatching(); }};
}

}  // namespace zylo
