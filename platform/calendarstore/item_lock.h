// Keeps Zylo's own writers of one item file apart: other processes, and
// other threads of this one. Each calendar folder holds one hidden lock
// file; an item's lock is one byte of it, at an offset its file name
// hashes to, locked as an open-file-description lock, so that every holder
// of its own descriptor is excluded (a thread too) and the kernel releases
// the lock when its process dies.
//
// Leaves out: other programs (they do not take it; file_swap.h compares
// what they may have changed instead), fairness between waiters, and a
// lock file removed while held (only removing its calendar does that).
//
// Thread-safe: one ItemLock per holder.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_LOCK_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_LOCK_H_

#include <chrono>
#include <filesystem>
#include <string_view>

namespace calendarstore {

// The lock file of a calendar folder; it starts with the temporary prefix,
// so the store never takes it for an item or for another program's file.
inline constexpr std::string_view kLockFileName = ".zylo-lock";

class ItemLock {
 public:
  ItemLock() = default;
  ~ItemLock();
  ItemLock(const ItemLock&) = delete;
  ItemLock& operator=(const ItemLock&) = delete;

  // Takes the lock of the file `name` in `folder`, waiting at most
  // `patience`. Answers 0; EWOULDBLOCK when another writer held it all
  // that time; or the errno of opening the lock file. REQUIRES: not held.
  int acquire(const std::filesystem::path& folder, std::string_view name, std::chrono::milliseconds patience);

 private:
  int fd_ = -1;  // closing it releases the lock
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_LOCK_H_
