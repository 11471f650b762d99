// Tells the store which of its folders changed since it last asked, so that
// a query rescans only those (inotify on the root and each calendar folder).
//
// Not thread-safe: used under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_FOLDER_WATCH_H_
#define ZYLO_PLATFORM_CALENDARSTORE_FOLDER_WATCH_H_

#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace calendarstore {

class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // False when the system cannot watch (no inotify, or out of watches):
  // then every folder counts as changed at every query.
  bool active() const { return fd_ >= 0 && !broken_; }
  // Readable when changes are waiting, for a poll.
  int descriptor() const { return fd_; }

  void watchRoot(const std::filesystem::path& root);
  void watchCalendar(const std::string& name, const std::filesystem::path& folder);
  void forgetCalendar(const std::string& name);

  struct Changes {
    bool root = false;        // calendars may have come or gone
    bool everything = false;  // events were lost: rescan all
    std::set<std::string> calendars;
  };
  Changes takeChanges();

 private:
  int fd_ = -1;
  bool broken_ = false;
  int rootWatch_ = -1;
  std::map<int, std::string> calendarOfWatch_;
  std::map<std::string, int> watchOfCalendar_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_FOLDER_WATCH_H_
