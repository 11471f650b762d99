#include "platform/calendarstore/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace calendarstore {
namespace {

constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

int errnoOf(int result) { return result == 0 ? 0 : errno; }

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  explicit Descriptor(int fd) : fd(fd) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int fd;
};

int writeAll(int fd, std::string_view bytes) {
  for (size_t written = 0; written < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    written += static_cast<size_t>(n);
  }
  return 0;
}

// Best effort: only root may give a file to another owner, and only a
// member of a group to that group. The mode is set afterwards, as a change
// of owner may clear some of its bits.
void giveOwner(int fd, const FileAccess& access) {
  const uid_t owner = access.owner.value_or(static_cast<uid_t>(-1));
  const gid_t group = access.group.value_or(static_cast<gid_t>(-1));
  if (::fchown(fd, owner, group) != 0 && ::fchown(fd, static_cast<uid_t>(-1), group) != 0) return;
}

class SystemFileSystem final : public FileSystem {
 public:
  int createFile(const std::filesystem::path& path, std::string_view bytes, const FileAccess& access,
                 FileStamp& written) override {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (file.fd < 0) return errno;
    giveOwner(file.fd, access);
    if (::fchmod(file.fd, access.mode & 07777) != 0) return errno;
    if (int failed = writeAll(file.fd, bytes)) return failed;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return errno;
    written = stampOf(st);
    const int fd = std::exchange(file.fd, -1);
    return errnoOf(::close(fd));
  }

  int readFile(const std::filesystem::path& path, FileVersion& version) override {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) return errno;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EINVAL;
    if (st.st_size > kMaxFileBytes) return EFBIG;
    version.stamp = stampOf(st);
    version.access = {st.st_mode & 07777, st.st_uid, st.st_gid};
    version.bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    for (ssize_t n; got < version.bytes.size() &&
                    (n = ::read(file.fd, version.bytes.data() + got, version.bytes.size() - got)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      got += static_cast<size_t>(n);
    }
    version.bytes.resize(got);
    return 0;
  }

  int syncFile(const std::filesystem::path& path) override { return syncPath(path, O_WRONLY); }

  int rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return errnoOf(std::rename(from.c_str(), to.c_str()));
  }

  int exchange(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return errnoOf(::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE));
  }

  int link(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return errnoOf(::link(from.c_str(), to.c_str()));
  }

  int syncFolder(const std::filesystem::path& folder) override {
    return syncPath(folder, O_RDONLY | O_DIRECTORY);
  }

  int removeFile(const std::filesystem::path& path) override { return errnoOf(::unlink(path.c_str())); }

  int makeFolder(const std::filesystem::path& folder) override {
    return errnoOf(::mkdir(folder.c_str(), 0755));
  }

  int removeFolder(const std::filesystem::path& folder) override {
    return errnoOf(::rmdir(folder.c_str()));
  }

 private:
  static int syncPath(const std::filesystem::path& path, int flags) {
    Descriptor file(::open(path.c_str(), flags | O_CLOEXEC));
    if (file.fd < 0) return errno;
    return errnoOf(::fsync(file.fd));
  }
};

}  // namespace

std::shared_ptr<FileSystem> systemFileSystem() {
  static const auto files = std::make_shared<SystemFileSystem>();
  return files;
}

}  // namespace calendarstore
