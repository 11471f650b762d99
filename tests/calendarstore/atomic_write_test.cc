// A write that fails at any step leaves the old file and no stray item.
#include "platform/calendarstore/atomic_write.h"

#include <fstream>

#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

// Passes every call to the real file system except the n-th write step.
class FailingFileSystem final : public FileSystem {
 public:
  explicit FailingFileSystem(int failAt) : failAt_(failAt) {}
  int createFile(const std::filesystem::path& p, std::string_view b) override {
    return step() ? EIO : real_->createFile(p, b);
  }
  int syncFile(const std::filesystem::path& p) override { return step() ? EIO : real_->syncFile(p); }
  int rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return step() ? EXDEV : real_->rename(a, b);
  }
  int syncFolder(const std::filesystem::path& p) override { return step() ? EIO : real_->syncFolder(p); }
  int removeFile(const std::filesystem::path& p) override { return real_->removeFile(p); }
  int makeFolder(const std::filesystem::path& p) override { return real_->makeFolder(p); }
  int removeFolder(const std::filesystem::path& p) override { return real_->removeFolder(p); }

 private:
  bool step() { return ++steps_ == failAt_; }
  std::shared_ptr<FileSystem> real_ = systemFileSystem();
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
