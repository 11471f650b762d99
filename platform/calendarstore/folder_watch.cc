#include "platform/calendarstore/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

namespace calendarstore {
namespace {

constexpr uint32_t kRootEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                 IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB | IN_ONLYDIR;
constexpr uint32_t kCalendarEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_DELETE |
                                     IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

FolderWatch::FolderWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
  if (fd_ >= 0) ::close(fd_);
}

void FolderWatch::watchRoot(const std::filesystem::path& root) {
  if (fd_ < 0) return;
  rootWatch_ = inotify_add_watch(fd_, root.c_str(), kRootEvents);
  if (rootWatch_ < 0) broken_ = true;
}

void FolderWatch::watchCalendar(const std::string& name, const std::filesystem::path& folder) {
  if (fd_ < 0 || watchOfCalendar_.contains(name)) return;
  const int wd = inotify_add_watch(fd_, folder.c_str(), kCalendarEvents);
  if (wd < 0) {
    broken_ = true;
    return;
  }
  calendarOfWatch_[wd] = name;
  watchOfCalendar_[name] = wd;
}

void FolderWatch::forgetCalendar(const std::string& name) {
  auto it = watchOfCalendar_.find(name);
  if (it == watchOfCalendar_.end()) return;
  inotify_rm_watch(fd_, it->second);
  calendarOfWatch_.erase(it->second);
  watchOfCalendar_.erase(it);
}

FolderWatch::Changes FolderWatch::takeChanges() {
  Changes changes;
  if (!active()) {
    changes.everything = changes.root = true;
    return changes;
  }
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      at += static_cast<ssize_t>(sizeof event + event.len);
      if (event.mask & IN_Q_OVERFLOW) changes.everything = changes.root = true;
      if (event.wd == rootWatch_) {
        changes.root = true;
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) changes.everything = true;
      } else if (auto it = calendarOfWatch_.find(event.wd); it != calendarOfWatch_.end()) {
        changes.calendars.insert(it->second);
      }
    }
  }
  return changes;
}

}  // namespace calendarstore
