// What tells one version of a file from another without reading it: its
// modification time, size and inode (a file replaced by a rename has a new
// inode even when time and size agree).
#ifndef ZYLO_PLATFORM_CALENDARSTORE_FILE_STAMP_H_
#define ZYLO_PLATFORM_CALENDARSTORE_FILE_STAMP_H_

#include <sys/stat.h>

#include <cstdint>

namespace calendarstore {

struct FileStamp {
  int64_t modified = 0;  // nanoseconds since 1970
  uintmax_t size = 0, inode = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

inline FileStamp stampOf(const struct stat& st) {
  return {int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec, static_cast<uintmax_t>(st.st_size),
          static_cast<uintmax_t>(st.st_ino)};
}

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_FILE_STAMP_H_
