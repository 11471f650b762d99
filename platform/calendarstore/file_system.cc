#include "platform/calendarstore/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace calendarstore {
namespace {

int errnoOf(int result) { return result == 0 ? 0 : errno; }

class SystemFileSystem final : public FileSystem {
 public:
  int createFile(const std::filesystem::path& path, std::string_view bytes) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return errno;
    for (size_t written = 0; written < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int error = errno;
        ::close(fd);
        return error;
      }
      written += static_cast<size_t>(n);
    }
    return errnoOf(::close(fd));
  }

  int syncFile(const std::filesystem::path& path) override { return syncPath(path, O_WRONLY); }

  int rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return errnoOf(std::rename(from.c_str(), to.c_str()));
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
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = errnoOf(::fsync(fd));
    ::close(fd);
    return error;
  }
};

}  // namespace

std::shared_ptr<FileSystem> systemFileSystem() {
  static const auto files = std::make_shared<SystemFileSystem>();
  return files;
}

}  // namespace calendarstore
