// The file operations the store's writes are made of, one call per step so
// that tests can make any step fail or let another writer in between. Each
// answers 0 or the errno.
//
// Leaves out: locking (item_lock.h) and reading folders, which the store
// does itself.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_FILE_SYSTEM_H_
#define ZYLO_PLATFORM_CALENDARSTORE_FILE_SYSTEM_H_

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/calendarstore/file_stamp.h"

namespace calendarstore {

// Who may read and write a file: its permission bits, and the owner and
// group it is to keep.
struct FileAccess {
  mode_t mode = 0600;
  std::optional<uid_t> owner;
  std::optional<gid_t> group;
};

// One version of a file as read.
struct FileVersion {
  FileStamp stamp;
  FileAccess access;
  std::string bytes;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Creates `path`, which must not exist, holding `bytes`, with exactly the
  // mode `access` names (whatever the umask) and its owner and group as far
  // as the system lets this process give them; `written` gets its stamp.
  virtual int createFile(const std::filesystem::path& path, std::string_view bytes, const FileAccess& access,
                         FileStamp& written) = 0;
  // Reads a regular file whole, never through a symbolic link; ENOENT when
  // there is none, EFBIG beyond 16 MB.
  virtual int readFile(const std::filesystem::path& path, FileVersion& file) = 0;
  // Flushes a file's contents to the disk.
  virtual int syncFile(const std::filesystem::path& path) = 0;
  // Replaces `to` with `from` in one step.
  virtual int rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Swaps the files named `a` and `b` in one step; EINVAL (or ENOSYS) on
  // a file system that cannot.
  virtual int exchange(const std::filesystem::path& a, const std::filesystem::path& b) = 0;
  // Gives the file `from` the further name `to` in one step; EEXIST, with
  // `to` left alone, when that name is taken.
  virtual int link(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Flushes a folder's entries (a rename in it) to the disk.
  virtual int syncFolder(const std::filesystem::path& folder) = 0;
  virtual int removeFile(const std::filesystem::path& path) = 0;
  virtual int makeFolder(const std::filesystem::path& folder) = 0;
  // Removes an empty folder.
  virtual int removeFolder(const std::filesystem::path& folder) = 0;
};

std::shared_ptr<FileSystem> systemFileSystem();

// Passes every call on to another file system: a test double overrides only
// the steps it changes.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(std::shared_ptr<FileSystem> base) : base_(std::move(base)) {}
  int createFile(const std::filesystem::path& path, std::string_view bytes, const FileAccess& access,
                 FileStamp& written) override {
    return base_->createFile(path, bytes, access, written);
  }
  int readFile(const std::filesystem::path& path, FileVersion& file) override { return base_->readFile(path, file); }
  int syncFile(const std::filesystem::path& path) override { return base_->syncFile(path); }
  int rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return base_->rename(from, to);
  }
  int exchange(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base_->exchange(a, b);
  }
  int link(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return base_->link(from, to);
  }
  int syncFolder(const std::filesystem::path& folder) override { return base_->syncFolder(folder); }
  int removeFile(const std::filesystem::path& path) override { return base_->removeFile(path); }
  int makeFolder(const std::filesystem::path& folder) override { return base_->makeFolder(folder); }
  int removeFolder(const std::filesystem::path& folder) override { return base_->removeFolder(folder); }

 private:
  std::shared_ptr<FileSystem> base_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_FILE_SYSTEM_H_
