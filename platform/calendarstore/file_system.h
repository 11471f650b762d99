// The file operations the store's writes are made of, one call per step so
// that tests can make any step fail. Each answers 0 or the errno.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_FILE_SYSTEM_H_
#define ZYLO_PLATFORM_CALENDARSTORE_FILE_SYSTEM_H_

#include <filesystem>
#include <memory>
#include <string_view>

namespace calendarstore {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Creates `path`, which must not exist, holding `bytes`.
  virtual int createFile(const std::filesystem::path& path, std::string_view bytes) = 0;
  // Flushes a file's contents to the disk.
  virtual int syncFile(const std::filesystem::path& path) = 0;
  // Replaces `to` with `from` in one step.
  virtual int rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Flushes a folder's entries (a rename in it) to the disk.
  virtual int syncFolder(const std::filesystem::path& folder) = 0;
  virtual int removeFile(const std::filesystem::path& path) = 0;
  virtual int makeFolder(const std::filesystem::path& folder) = 0;
  // Removes an empty folder.
  virtual int removeFolder(const std::filesystem::path& folder) = 0;
};

std::shared_ptr<FileSystem> systemFileSystem();

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_FILE_SYSTEM_H_
