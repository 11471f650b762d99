#include "platform/calendarstore/change_watcher.h"
#include "platform/calendarstore/default_root.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "plugin/platform_services.h"

#include <mutex>

namespace zylo {
namespace {

// One store per root folder, made on first use and kept, so that its index
// and caches serve every later call. Thread-safe: every session asks.
class SystemStore {
 public:
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
    const std::filesystem::path root = calendarstore::defaultCalendarsRoot();
    if (!store_ || root != root_) {
      watcher_.reset();
      store_ = std::make_shared<calendarstore::VdirCalendarStore>(
          root, foundation::systemDefaultZone(), foundation::systemClock(), calendarstore::systemFileSystem(),
          calendarstore::defaultIndexFolder());
      root_ = root;
    }
    return store_;
  }

  std::mutex lock_;  // guards what follows
  std::filesystem::path root_;
  std::shared_ptr<calendarstore::VdirCalendarStore> store_;
  std::unique_ptr<calendarstore::ChangeWatcher> watcher_;
};

}  // namespace

PlatformServices systemPlatformServices() {
  auto store = std::make_shared<SystemStore>();
  return {foundation::systemDefaultZone(), foundation::environmentOsVersion(), [store] { return store->get(); },
          [store] { store->watch(); }, [store] { store->stopWatching(); }};
}

}  // namespace zylo
