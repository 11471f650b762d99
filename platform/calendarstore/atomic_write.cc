#include "platform/calendarstore/atomic_write.h"

#include <unistd.h>

#include <random>
#include <string>

namespace calendarstore {
namespace {

// Unique among the processes writing at once: a forked process inherits
// the generator's state, so the process id is part of the name.
std::string temporaryName() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  return std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + std::to_string(random()) + ".tmp";
}

}  // namespace

int writeAtomically(FileSystem& files, const std::filesystem::path& target, std::string_view bytes) {
  const std::filesystem::path folder = target.parent_path();
  const std::filesystem::path temporary = folder / temporaryName();
  int error = files.createFile(temporary, bytes);
  if (error == 0) error = files.syncFile(temporary);
  if (error == 0) error = files.rename(temporary, target);
  if (error != 0) {
    files.removeFile(temporary);
    return error;
  }
  // The new file is in place and complete. A failed folder flush only means
  // that a power cut might bring back the old file, complete as well, so the
  // write still counts as done.
  files.syncFolder(folder);
  return 0;
}

}  // namespace calendarstore
