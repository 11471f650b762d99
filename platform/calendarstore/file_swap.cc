#include "platform/calendarstore/file_swap.h"

#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/calendarstore/item_lock.h"

namespace calendarstore {
namespace {

namespace fs = std::filesystem;

// The process id keeps apart the names of processes forked from one parent,
// whose generators go on from the same state.
std::string temporaryName() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  return std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + std::to_string(random()) + ".tmp";
}

// A name this attempt made, removed when the attempt ends unless kept.
class MadeName {
 public:
  MadeName(FileSystem& files, fs::path path) : files_(files), path_(std::move(path)) {}
  ~MadeName() {
    if (!kept_) files_.removeFile(path_);
  }
  MadeName(const MadeName&) = delete;
  MadeName& operator=(const MadeName&) = delete;
  const fs::path& path() const { return path_; }
  void keep() { kept_ = true; }

 private:
  FileSystem& files_;
  fs::path path_;
  bool kept_ = false;
};

// A complete, flushed file under the temporary name `name`.
int writeTemporary(FileSystem& files, const MadeName& name, const std::string& bytes, const FileAccess& access,
                   FileVersion& written) {
  written.access = access;
  written.bytes = bytes;
  if (int failed = files.createFile(name.path(), bytes, access, written.stamp)) return failed;
  return files.syncFile(name.path());
}

bool stillAsRead(FileSystem& files, const fs::path& target, const FileVersion* read) {
  FileVersion now;
  const int failed = files.readFile(target, now);
  if (!read) return failed == ENOENT;
  return failed == 0 && now.stamp == read->stamp && now.bytes == read->bytes;
}

// What the last steps answer when another writer's file came in at the
// last instant.
constexpr int kChangedMeanwhile = -1;

// The new file swapped in for the one read. Where the file system swaps
// two names in one step, the file swapped out must be the one read: another
// writer's, put there after the last comparison, goes back.
int replaceIfStill(FileSystem& files, const fs::path& replacement, const fs::path& target, const FileVersion& read) {
  const int error = files.exchange(replacement, target);
  if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) return files.rename(replacement, target);
  if (error) return error;
  if (stillAsRead(files, replacement, &read)) return 0;
  if (files.exchange(replacement, target) != 0) files.rename(replacement, target);
  return kChangedMeanwhile;
}

// The file moved aside, where it must be the one read: another writer's
// goes back, unless a newer one took its place meanwhile.
int removeIfStill(FileSystem& files, const fs::path& target, const FileVersion& read) {
  const MadeName aside(files, target.parent_path() / temporaryName());
  const int error = files.rename(target, aside.path());
  if (error == ENOENT) return 0;  // removed by another writer just now: gone as asked
  if (error) return error;
  if (stillAsRead(files, aside.path(), &read)) return 0;
  files.link(aside.path(), target);
  return kChangedMeanwhile;
}

enum class Attempt { kDone, kChanged, kFailed };

// One attempt at `swap` of the file as it was read (`current`).
Attempt attemptSwap(FileSystem& files, const fs::path& target, const FileVersion* current, const Swap& swap,
                    SwapOutcome& outcome) {
  auto failed = [&](int error, SwapOutcome::Step step = SwapOutcome::kWriting) {
    outcome.error = error;
    outcome.failedStep = step;
    return Attempt::kFailed;
  };
  std::optional<FileVersion> written;
  std::optional<MadeName> replacement;
  if (swap.kind == Swap::kReplace) {
    replacement.emplace(files, target.parent_path() / temporaryName());
    written.emplace();
    const FileAccess access = current ? current->access : FileAccess{};
    if (int error = writeTemporary(files, *replacement, swap.bytes, access, *written)) return failed(error);
  }
  std::optional<FileVersion> alongsideWritten;
  std::optional<MadeName> alongside;
  if (swap.alongside) {
    const MadeName temporary(files, swap.alongside->path.parent_path() / temporaryName());
    alongsideWritten.emplace();
    if (int error = writeTemporary(files, temporary, swap.alongside->bytes, swap.alongside->access, *alongsideWritten)) {
      return failed(error);
    }
    if (int error = files.link(temporary.path(), swap.alongside->path)) {
      return error == EEXIST ? Attempt::kChanged : failed(error);
    }
    alongside.emplace(files, swap.alongside->path);
  }
  if (!stillAsRead(files, target, current)) return Attempt::kChanged;
  int error = 0;
  if (swap.kind == Swap::kRemove) {
    if (current) error = removeIfStill(files, target, *current);
  } else if (current) {
    error = replaceIfStill(files, replacement->path(), target, *current);
  } else {
    error = files.link(replacement->path(), target);
    if (error == EEXIST) error = kChangedMeanwhile;
  }
  if (error == kChangedMeanwhile) return Attempt::kChanged;
  if (error) return failed(error, swap.kind == Swap::kRemove ? SwapOutcome::kRemoving : SwapOutcome::kWriting);
  if (alongside) alongside->keep();
  // The change is in place and complete. A failed flush of the folder only
  // means that a power cut might bring back the old file, complete as well.
  files.syncFolder(target.parent_path());
  if (swap.alongside && swap.alongside->path.parent_path() != target.parent_path()) {
    files.syncFolder(swap.alongside->path.parent_path());
  }
  outcome.changed.push_back({target, std::move(written)});
  if (swap.alongside) outcome.changed.push_back({swap.alongside->path, std::move(alongsideWritten)});
  return Attempt::kDone;
}

}  // namespace

SwapOutcome swapFile(FileSystem& files, const fs::path& target, const Merge& merge, const SwapLimits& limits) {
  SwapOutcome outcome;
  ItemLock lock;
  if (int error = lock.acquire(target.parent_path(), target.filename().string(), limits.patience)) {
    outcome.kind = error == EWOULDBLOCK ? SwapOutcome::kBusy : SwapOutcome::kFailed;
    outcome.error = error;
    outcome.failedStep = SwapOutcome::kLocking;
    return outcome;
  }
  for (int attempt = 0; attempt < limits.attempts; ++attempt) {
    FileVersion read;
    const int error = files.readFile(target, read);
    if (error != 0 && error != ENOENT) {
      outcome.error = error;
      return outcome;
    }
    const Swap swap = merge(error == 0 ? &read : nullptr);
    if (swap.kind == Swap::kRefuse) {
      outcome.kind = SwapOutcome::kRefused;
      return outcome;
    }
    if (swap.kind == Swap::kRemove && error == ENOENT && !swap.alongside) {
      outcome.kind = SwapOutcome::kDone;
      outcome.changed.push_back({target, std::nullopt});
      return outcome;
    }
    switch (attemptSwap(files, target, error == 0 ? &read : nullptr, swap, outcome)) {
      case Attempt::kDone: outcome.kind = SwapOutcome::kDone; return outcome;
      case Attempt::kFailed: outcome.kind = SwapOutcome::kFailed; return outcome;
      case Attempt::kChanged: break;
    }
  }
  outcome.kind = SwapOutcome::kContended;
  return outcome;
}

}  // namespace calendarstore
