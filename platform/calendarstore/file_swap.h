// The one step through which the store changes a file: compare and swap.
//
// Under the file's ItemLock it reads the file, lets the caller merge its
// change into what it read, writes the result to a hidden temporary file in
// the same folder (flushed), and puts it in place only if the file is still
// exactly what was read (stamp and bytes): it swaps the two names in one
// step and checks that what it swapped out is what it read (a removal moves
// the file aside and checks it), so that a program that takes no lock and
// replaces the file at the last instant gets its file back. When another
// writer changed the file, the step starts again from the new file; a new
// file never replaces one another writer created under its name. A crash at
// any moment leaves the old file or the new one, and a failed step leaves
// the old file as it was.
//
// Leaves out: on a file system that cannot swap two names (NFS), the
// instant between the last comparison and the rename, in which such a
// program's change may still be replaced.
//
// Thread-safe, given a thread-safe FileSystem.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_FILE_SWAP_H_
#define ZYLO_PLATFORM_CALENDARSTORE_FILE_SWAP_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/calendarstore/file_system.h"

namespace calendarstore {

// What a merge makes of the file it was given.
struct Swap {
  enum Kind { kReplace, kRemove, kRefuse };
  // A file made first, beside the swapped one or in another folder (an item
  // moved or split), never over an existing file, and removed again when
  // the swap does not happen.
  struct NewFile {
    std::filesystem::path path;
    std::string bytes;
    FileAccess access;
  };

  static Swap replace(std::string bytes, std::optional<NewFile> alongside = std::nullopt) {
    return {kReplace, std::move(bytes), std::move(alongside)};
  }
  static Swap remove(std::optional<NewFile> alongside = std::nullopt) { return {kRemove, {}, std::move(alongside)}; }

  Kind kind = kRefuse;
  std::string bytes;  // kReplace: the new contents, with the old file's access or 0600 when new
  std::optional<NewFile> alongside;
};

// Called with the file as read under the lock (null when there is none);
// may be called again with a newer version. Its refusal ends the step.
using Merge = std::function<Swap(const FileVersion* current)>;

struct SwapOutcome {
  enum Kind {
    kDone,
    kRefused,    // by the merge
    kBusy,       // another Zylo writer held the lock all the patience long
    kContended,  // changed by others before every attempt's rename
    kFailed,     // a step failed: `error`
  };
  enum Step { kLocking, kReading, kWriting, kRemoving };
  // A file the step changed, as it is now; no version when it was removed.
  struct Changed {
    std::filesystem::path path;
    std::optional<FileVersion> version;
  };

  Kind kind = kFailed;
  int error = 0;                 // kFailed: the errno
  Step failedStep = kReading;    // kFailed
  std::vector<Changed> changed;  // kDone
};

struct SwapLimits {
  std::chrono::milliseconds patience{5000};
  // A save merges again each time another program changed the file under
  // it; a peer rewriting the file faster than a save can finish is refused.
  int attempts = 20;
};

SwapOutcome swapFile(FileSystem& files, const std::filesystem::path& target, const Merge& merge,
                     const SwapLimits& limits = {});

// The temporary files the store makes start with this; with their leading
// dot they are never taken for items.
inline constexpr std::string_view kTemporaryPrefix = ".zylo-";

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_FILE_SWAP_H_
