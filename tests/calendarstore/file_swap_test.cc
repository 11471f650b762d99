// The compare-and-swap step on its own: what another writer does between
// Zylo's read and its rename is merged or refused, never overwritten; the
// lock waits no longer than its patience; and a write that fails at any
// step leaves the old file and no stray one.
#include "platform/calendarstore/file_swap.h"

#include <fstream>

#include "platform/calendarstore/item_lock.h"
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void writeAsPeer(const fs::path& file, const std::string& text) {
  // As vdirsyncer does: a new file renamed over the old one.
  const fs::path temporary = file.parent_path() / ".peer.tmp";
  std::ofstream(temporary, std::ios::binary) << text;
  fs::rename(temporary, file);
}

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A peer that writes the file right after Zylo flushed its new version,
// before the rename, for the first `times` attempts.
class PeerBeforeRename final : public FileSystemWrapper {
 public:
  PeerBeforeRename(fs::path target, int times)
      : FileSystemWrapper(systemFileSystem()), target_(std::move(target)), times_(times) {}
  int syncFile(const fs::path& path) override {
    const int result = FileSystemWrapper::syncFile(path);
    if (writes_ < times_) writeAsPeer(target_, "peer " + std::to_string(++writes_) + "\n");
    return result;
  }
  int writes() const { return writes_; }

 private:
  fs::path target_;
  int times_;
  int writes_ = 0;
};

// A peer that replaces the file just after Zylo's `nth` read of it: the
// second read is the comparison right before the file is put in place.
class PeerAfterRead final : public FileSystemWrapper {
 public:
  PeerAfterRead(fs::path target, int nth) : FileSystemWrapper(systemFileSystem()), target_(std::move(target)), nth_(nth) {}
  int readFile(const fs::path& path, FileVersion& file) override {
    const int result = FileSystemWrapper::readFile(path, file);
    if (path == target_ && ++reads_ == nth_) writeAsPeer(target_, "peer\n");
    return result;
  }

 private:
  fs::path target_;
  int nth_;
  int reads_ = 0;
};

class FileSwapTest : public StoreTest {
 protected:
  fs::path file(const std::string& name) { return root_ / name; }
  // A merge that appends `line` to what it reads, counting its calls.
  Merge appending(const std::string& line) {
    return [this, line](const FileVersion* current) {
      ++merges_;
      return Swap::replace((current ? current->bytes : "") + line);
    };
  }
  int merges_ = 0;
};

TEST_F(FileSwapTest, MergesIntoWhatAnotherWriterPutBetweenReadAndRename) {
  writeAsPeer(file("x.ics"), "first\n");
  PeerBeforeRename peer(file("x.ics"), 1);
  const SwapOutcome outcome = swapFile(peer, file("x.ics"), appending("zylo\n"));
  EXPECT_EQ(outcome.kind, SwapOutcome::kDone);
  EXPECT_EQ(merges_, 2);
  EXPECT_EQ(contents(file("x.ics")), "peer 1\nzylo\n");
  ASSERT_EQ(outcome.changed.size(), 1u);
  EXPECT_EQ(outcome.changed[0].version->bytes, "peer 1\nzylo\n");
  EXPECT_EQ(filesIn(""), std::vector<std::string>{"x.ics"});
}

TEST_F(FileSwapTest, AFileAnotherWriterPutsInPlaceAtTheLastInstantGoesBack) {
  writeAsPeer(file("x.ics"), "first\n");
  PeerAfterRead replacing(file("x.ics"), 2);
  EXPECT_EQ(swapFile(replacing, file("x.ics"), appending("zylo\n")).kind, SwapOutcome::kDone);
  EXPECT_EQ(merges_, 2);
  EXPECT_EQ(contents(file("x.ics")), "peer\nzylo\n");

  writeAsPeer(file("x.ics"), "first\n");
  PeerAfterRead removing(file("x.ics"), 2);
  std::vector<std::string> seen;
  const SwapOutcome outcome = swapFile(removing, file("x.ics"), [&](const FileVersion* current) {
    seen.push_back(current->bytes);
    return current->bytes == "first\n" ? Swap::remove() : Swap{};
  });
  EXPECT_EQ(outcome.kind, SwapOutcome::kRefused);
  EXPECT_EQ(seen, (std::vector<std::string>{"first\n", "peer\n"}));
  EXPECT_EQ(contents(file("x.ics")), "peer\n");
  EXPECT_EQ(filesIn(""), std::vector<std::string>{"x.ics"});
}

TEST_F(FileSwapTest, GivesUpWhenTheFileKeepsChangingAndKeepsTheLastChange) {
  writeAsPeer(file("x.ics"), "first\n");
  PeerBeforeRename peer(file("x.ics"), 100);
  const SwapOutcome outcome = swapFile(peer, file("x.ics"), appending("zylo\n"), {1000ms, 5});
  EXPECT_EQ(outcome.kind, SwapOutcome::kContended);
  EXPECT_EQ(merges_, 5);
  EXPECT_EQ(contents(file("x.ics")), "peer 5\n");
  EXPECT_EQ(filesIn(""), std::vector<std::string>{"x.ics"});
}

TEST_F(FileSwapTest, ANewFileNeverReplacesOneMadeMeanwhile) {
  PeerBeforeRename peer(file("x.ics"), 1);
  std::vector<bool> existed;
  const SwapOutcome outcome = swapFile(peer, file("x.ics"), [&](const FileVersion* current) {
    existed.push_back(current != nullptr);
    return current ? Swap{} : Swap::replace("zylo\n");
  });
  EXPECT_EQ(outcome.kind, SwapOutcome::kRefused);
  EXPECT_EQ(existed, (std::vector<bool>{false, true}));
  EXPECT_EQ(contents(file("x.ics")), "peer 1\n");
  EXPECT_EQ(filesIn(""), std::vector<std::string>{"x.ics"});
}

TEST_F(FileSwapTest, RemovesOnlyTheFileItRead) {
  writeAsPeer(file("x.ics"), "first\n");
  PeerBeforeRename peer(file("x.ics"), 1);
  // The new file beside it is flushed before the removal: the peer comes in then.
  Swap::NewFile moved{root_ / "y.ics", "moved\n", {}};
  std::vector<std::string> seen;
  const SwapOutcome outcome = swapFile(peer, file("x.ics"), [&](const FileVersion* current) {
    seen.push_back(current->bytes);
    return current->bytes == "first\n" ? Swap::remove(moved) : Swap{};
  });
  EXPECT_EQ(outcome.kind, SwapOutcome::kRefused);
  EXPECT_EQ(seen, (std::vector<std::string>{"first\n", "peer 1\n"}));
  EXPECT_EQ(filesIn(""), std::vector<std::string>{"x.ics"});
}

TEST_F(FileSwapTest, WaitsForAnotherWriterOfTheSameItemNoLongerThanItsPatience) {
  writeAsPeer(file("x.ics"), "first\n");
  ItemLock held;
  ASSERT_EQ(held.acquire(root_, "x.ics", 0ms), 0);
  const auto start = std::chrono::steady_clock::now();
  const SwapOutcome outcome = swapFile(*systemFileSystem(), file("x.ics"), appending("zylo\n"), {300ms, 5});
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(outcome.kind, SwapOutcome::kBusy);
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 2s);
  EXPECT_EQ(contents(file("x.ics")), "first\n");
  // Another item's lock is another byte: it does not wait.
  EXPECT_EQ(swapFile(*systemFileSystem(), file("y.ics"), appending("y\n"), {0ms, 5}).kind, SwapOutcome::kDone);
}

// Passes every call to the real file system except the n-th write step.
class FailingFileSystem final : public FileSystemWrapper {
 public:
  explicit FailingFileSystem(int failAt) : FileSystemWrapper(systemFileSystem()), failAt_(failAt) {}
  int createFile(const fs::path& p, std::string_view b, const FileAccess& a, FileStamp& s) override {
    return step() ? EIO : FileSystemWrapper::createFile(p, b, a, s);
  }
  int syncFile(const fs::path& p) override { return step() ? EIO : FileSystemWrapper::syncFile(p); }
  int rename(const fs::path& a, const fs::path& b) override { return step() ? EXDEV : FileSystemWrapper::rename(a, b); }
  int exchange(const fs::path& a, const fs::path& b) override {
    return step() ? EXDEV : FileSystemWrapper::exchange(a, b);
  }
  int link(const fs::path& a, const fs::path& b) override { return step() ? EMLINK : FileSystemWrapper::link(a, b); }
  int removeFile(const fs::path& p) override {
    return !p.filename().string().starts_with(".") && step() ? EACCES : FileSystemWrapper::removeFile(p);
  }
  int syncFolder(const fs::path& p) override { return step() ? EIO : FileSystemWrapper::syncFolder(p); }

 private:
  bool step() { return ++steps_ == failAt_; }
  int failAt_;
  int steps_ = 0;
};

TEST_F(StoreTest, EveryFailedStepLeavesTheOldFile) {
  makeCalendar("cal");
  writeItem("cal", "x.ics", "BEGIN:VEVENT\nUID:x\nDTSTART:20260620T080000Z\nSUMMARY:Old\nEND:VEVENT\n");
  const std::string old = readFile("cal/x.ics");
  for (int failAt = 1; failAt <= 3; ++failAt) {
    store(std::make_shared<FailingFileSystem>(failAt));
    auto e = std::make_shared<zylo::CalEvent>(*store_->eventWithUID(u"x", std::nullopt));
    e->setTitle(u"New");
    zylo::StoreError error;
    EXPECT_FALSE(store_->saveEvent(*e, zylo::CalSpan::kAllEvents, error)) << failAt;
    EXPECT_TRUE(error.localizedFailureReason->starts_with(u"The file could not be written: "))
        << failAt << " " << foundation::toUtf8(*error.localizedFailureReason);
    EXPECT_EQ(readFile("cal/x.ics"), old) << failAt;
    EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"x.ics"})) << failAt;
    EXPECT_EQ(store_->eventWithUID(u"x", std::nullopt)->title(), u"Old");
  }
  // A failed flush of the folder comes after the rename: the new file is complete.
  store(std::make_shared<FailingFileSystem>(4));
  auto e = std::make_shared<zylo::CalEvent>(*store_->eventWithUID(u"x", std::nullopt));
  e->setTitle(u"New");
  zylo::StoreError error;
  EXPECT_TRUE(store_->saveEvent(*e, zylo::CalSpan::kAllEvents, error))
      << foundation::toUtf8(error.localizedFailureReason.value_or(u""));
  EXPECT_EQ(store_->eventWithUID(u"x", std::nullopt)->title(), u"New");
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"x.ics"}));
}

TEST_F(StoreTest, EveryFailedStepOfAMoveOrRemovalLeavesTheOldFileAlone) {
  makeCalendar("cal", "Cal");
  makeCalendar("other", "Other");
  writeItem("cal", "x.ics", "BEGIN:VEVENT\nUID:x\nDTSTART:20260620T080000Z\nSUMMARY:Old\nEND:VEVENT\n");
  const std::string old = readFile("cal/x.ics");
  // A move: the new file (create, flush, link), then the removal of the old one.
  for (int failAt = 1; failAt <= 4; ++failAt) {
    store(std::make_shared<FailingFileSystem>(failAt));
    auto e = std::make_shared<zylo::CalEvent>(*store_->eventWithUID(u"x", std::nullopt));
    e->setCalendar(calendar("other"));
    zylo::StoreError error;
    EXPECT_FALSE(store_->saveEvent(*e, zylo::CalSpan::kAllEvents, error)) << failAt;
    EXPECT_EQ(readFile("cal/x.ics"), old) << failAt;
    EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname", "x.ics"})) << failAt;
    EXPECT_EQ(filesIn("other"), (std::vector<std::string>{"displayname"})) << failAt;
  }
  store(std::make_shared<FailingFileSystem>(1));
  zylo::StoreError error;
  EXPECT_FALSE(store_->removeEvent(*store_->eventWithUID(u"x", std::nullopt), zylo::CalSpan::kAllEvents, error));
  EXPECT_EQ(foundation::toUtf8(*error.localizedFailureReason),
            "The file could not be removed: Invalid cross-device link.");
  EXPECT_EQ(readFile("cal/x.ics"), old);
  // A new event whose file cannot be put in place leaves no file behind.
  store(std::make_shared<FailingFileSystem>(3));
  auto created = zylo::CalEvent::event();
  created->setCalendar(calendar("cal"));
  created->setStartDate(utc(2026, 6, 21, 8));
  EXPECT_FALSE(store_->saveEvent(*created, zylo::CalSpan::kAllEvents, error));
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname", "x.ics"}));
}

}  // namespace
}  // namespace calendarstore::testing

namespace calendarstore::testing {
namespace {

TEST_F(StoreTest, StaleTemporaryFilesOfCutShortWritesAreCleared) {
  makeCalendar("cal");
  const auto stale = root_ / "cal" / ".zylo-1.tmp";
  const auto fresh = root_ / "cal" / ".zylo-2.tmp";
  std::ofstream(stale) << "half a write";
  std::ofstream(fresh) << "a write in progress";
  std::ofstream(root_ / "cal" / ".other-program.tmp") << "not ours";
  // The store's clock stands at 2026-06-15; the stale file is older than that by hours.
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10);
  std::filesystem::last_write_time(stale, old);
  std::filesystem::last_write_time(fresh, std::filesystem::file_time_type::clock::now());
  // Reading the calendar's items clears them; listing calendars reads no item.
  store().calendars();
  EXPECT_EQ(filesIn("cal").size(), 3u);
  events(utc(2026, 1, 1), utc(2027, 1, 1));
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{".other-program.tmp", ".zylo-2.tmp"}));
}

}  // namespace
}  // namespace calendarstore::testing
