#include "platform/calendarstore/change_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/calendarstore/calendar_folder.h"
#include "platform/calendarstore/folder_watch.h"

namespace calendarstore {
namespace {

// Writers replace a file in several steps; waiting this long after the first
// sign of a change lets one notice report the finished change.
constexpr int kSettleMs = 50;
// Without inotify the folders are looked at this often.
constexpr int kPollWithoutWatchMs = 1000;

void watchCalendars(FolderWatch& doorbell, const std::filesystem::path& root) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(root, error); !error && it != std::filesystem::directory_iterator();
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (isCalendarFolderName(name) && it->is_directory(error)) doorbell.watchCalendar(name, it->path());
  }
}

std::unique_ptr<FolderWatch> watchAll(const std::filesystem::path& root) {
  auto doorbell = std::make_unique<FolderWatch>();
  doorbell->watchRoot(root);
  watchCalendars(*doorbell, root);
  return doorbell;
}

// One notice per changed event, in the order the changes were seen: a
// listener that reports the first identifier of each notice then reports
// every change.
std::vector<foundation::Notification> noticesOf(const VdirCalendarStore::ExternalChanges& changes) {
  constexpr const char16_t* kKeys[] = {kInsertedRecordsKey, kUpdatedRecordsKey, kDeletedRecordsKey};
  std::vector<foundation::Notification> notices;
  for (const auto& [uid, kind] : changes.changes) {
    notices.push_back({kEventsChangedExternally, {{kKeys[kind], {uid}}}});
  }
  return notices;
}

}  // namespace

ChangeWatcher::ChangeWatcher(VdirCalendarStore& store, std::filesystem::path root,
                             foundation::NotificationCenter& center)
    : store_(store), root_(std::move(root)), center_(center),
      stop_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), doorbell_(watchAll(root_)) {
  // The folders are watched first and scanned second, so that no change
  // falls between the two; what the first scan finds is not a change.
  try {
    store_.takeExternalChanges();
  } catch (const std::exception&) {
    // An unreadable root: the thread keeps looking.
  }
  thread_ = std::thread([this] { run(); });
}

ChangeWatcher::~ChangeWatcher() {
  const uint64_t one = 1;
  if (::write(stop_, &one, sizeof one) < 0) {
    // Cannot fail on a fresh eventfd; the join below waits either way.
  }
  thread_.join();
  ::close(stop_);
}

bool ChangeWatcher::stopRequested(int timeoutMs) const {
  pollfd stop{stop_, POLLIN, 0};
  return ::poll(&stop, 1, timeoutMs) > 0;
}

void ChangeWatcher::run() {
  std::unique_ptr<FolderWatch>& doorbell = doorbell_;
  for (;;) {
    pollfd fds[] = {{stop_, POLLIN, 0}, {doorbell->descriptor(), POLLIN, 0}, {store_.changeSignal(), POLLIN, 0}};
    const int waitMs = doorbell->active() ? -1 : kPollWithoutWatchMs;
    if (::poll(fds, 3, waitMs) < 0 && errno != EINTR) return;
    if (fds[0].revents & POLLIN) return;
    if (stopRequested(kSettleMs)) return;
    if (doorbell->takeChanges().everything) {
      doorbell = watchAll(root_);  // the root itself went away or events were lost
    } else {
      watchCalendars(*doorbell, root_);
    }
    VdirCalendarStore::ExternalChanges changes;
    try {
      changes = store_.takeExternalChanges();
    } catch (const std::exception&) {
      continue;  // the root cannot be read just now: nothing to report
    }
    for (const foundation::Notification& notice : noticesOf(changes)) center_.postNotification(notice);
  }
}

}  // namespace calendarstore
