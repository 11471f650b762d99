// Tells the rest of the process when other programs change events in the
// store: a thread of its own wakes on any change in the store's folders and
// posts CalEventsChangedExternallyNotification on a notification centre,
// one per changed event in the order seen, with its UID under
// CalInsertedRecordsKey, CalUpdatedRecordsKey or CalDeletedRecordsKey.
// The store's own writes are not reported.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_CHANGE_WATCHER_H_
#define ZYLO_PLATFORM_CALENDARSTORE_CHANGE_WATCHER_H_

#include <filesystem>
#include <memory>
#include <thread>

#include "platform/calendarstore/folder_watch.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/foundation/notification_center.h"

namespace calendarstore {

inline constexpr char16_t kEventsChangedExternally[] = u"CalEventsChangedExternallyNotification";
inline constexpr char16_t kInsertedRecordsKey[] = u"CalInsertedRecordsKey";
inline constexpr char16_t kUpdatedRecordsKey[] = u"CalUpdatedRecordsKey";
inline constexpr char16_t kDeletedRecordsKey[] = u"CalDeletedRecordsKey";

class ChangeWatcher {
 public:
  // Starts watching; `store` and `center` must outlive the watcher.
  ChangeWatcher(VdirCalendarStore& store, std::filesystem::path root,
                foundation::NotificationCenter& center);
  // Stops the thread and waits for it: no notice is posted afterwards.
  ~ChangeWatcher();
  ChangeWatcher(const ChangeWatcher&) = delete;
  ChangeWatcher& operator=(const ChangeWatcher&) = delete;

 private:
  void run();
  bool stopRequested(int timeoutMs) const;

  VdirCalendarStore& store_;
  const std::filesystem::path root_;
  foundation::NotificationCenter& center_;
  int stop_;
  std::unique_ptr<FolderWatch> doorbell_;  // used by the thread once it runs
  std::thread thread_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_CHANGE_WATCHER_H_
