#include "platform/calendarstore/item_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <thread>

namespace calendarstore {
namespace {

// FNV-1a: the same offset for a name in every build of every process.
off_t offsetOf(std::string_view name) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  return static_cast<off_t>(hash & 0x3FFFFFFF);
}

// How long a waiter sleeps between tries: short at first, as most writes
// take a few milliseconds.
constexpr auto kFirstPause = std::chrono::microseconds{200};
constexpr auto kLongestPause = std::chrono::milliseconds{10};

}  // namespace

ItemLock::~ItemLock() {
  if (fd_ >= 0) ::close(fd_);
}

int ItemLock::acquire(const std::filesystem::path& folder, std::string_view name,
                      std::chrono::milliseconds patience) {
  const std::filesystem::path file = folder / kLockFileName;
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return errno;
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = offsetOf(name);
  range.l_len = 1;
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  std::chrono::microseconds pause = kFirstPause;
  while (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
    const int failed = errno;
    const bool held = failed == EAGAIN || failed == EACCES || failed == EINTR;
    if (!held || std::chrono::steady_clock::now() >= giveUp) {
      ::close(fd);
      return held ? EWOULDBLOCK : failed;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
  }
  fd_ = fd;
  return 0;
}

}  // namespace calendarstore
