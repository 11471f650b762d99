// Notices of changes other programs make, and silence about our own.
#include "platform/calendarstore/change_watcher.h"

#include <condition_variable>
#include <mutex>

#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

using namespace std::chrono_literals;

class ChangeWatcherTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal");
    writeItem("cal", "old.ics", "BEGIN:VEVENT\nUID:old\nDTSTART:20260620T080000Z\nEND:VEVENT\n");
    store();
    token_ = center_.addObserver(kEventsChangedExternally, [this](const foundation::Notification& n) {
      std::lock_guard guard(lock_);
      notices_.push_back(n);
      arrived_.notify_all();
    });
    watcher_ = std::make_unique<ChangeWatcher>(*store_, root_, center_);
  }
  void TearDown() override {
    watcher_.reset();
    center_.removeObserver(token_);
    StoreTest::TearDown();
  }
  // The next notice, or none within `wait`.
  std::optional<foundation::Notification> next(std::chrono::milliseconds wait = 5s) {
    std::unique_lock guard(lock_);
    if (!arrived_.wait_for(guard, wait, [this] { return !notices_.empty(); })) return std::nullopt;
    auto n = notices_.front();
    notices_.erase(notices_.begin());
    return n;
  }
  static std::vector<std::u16string> under(const foundation::Notification& n, const char16_t* key) {
    auto it = n.userInfo.find(key);
    return it == n.userInfo.end() ? std::vector<std::u16string>{} : it->second;
  }

  foundation::NotificationCenter center_;
  foundation::NotificationCenter::Token token_ = 0;
  std::unique_ptr<ChangeWatcher> watcher_;
  std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<foundation::Notification> notices_;
};

TEST_F(ChangeWatcherTest, OtherProgramsChangesAreReportedByKind) {
  writeItem("cal", "new.ics", "BEGIN:VEVENT\nUID:new\nDTSTART:20260621T080000Z\nEND:VEVENT\n");
  auto inserted = next();
  ASSERT_TRUE(inserted);
  EXPECT_EQ(under(*inserted, kInsertedRecordsKey), (std::vector<std::u16string>{u"new"}));
  EXPECT_FALSE(inserted->userInfo.contains(kUpdatedRecordsKey));

  writeItem("cal", "old.ics", "BEGIN:VEVENT\nUID:old\nDTSTART:20260622T080000Z\nSUMMARY:Moved\nEND:VEVENT\n");
  auto updated = next();
  ASSERT_TRUE(updated);
  EXPECT_EQ(under(*updated, kUpdatedRecordsKey), (std::vector<std::u16string>{u"old"}));

  std::filesystem::remove(root_ / "cal" / "new.ics");
  auto deleted = next();
  ASSERT_TRUE(deleted);
  EXPECT_EQ(under(*deleted, kDeletedRecordsKey), (std::vector<std::u16string>{u"new"}));

  // A new calendar folder with an event in it counts too.
  makeCalendar("more");
  writeItem("more", "m.ics", "BEGIN:VEVENT\nUID:m\nDTSTART:20260621T080000Z\nEND:VEVENT\n");
  std::vector<std::u16string> seen;
  while (auto n = next(2s)) {
    for (auto& uid : under(*n, kInsertedRecordsKey)) seen.push_back(uid);
    if (!seen.empty()) break;
  }
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"m"}));
}

// A file touched, or written again with the same bytes, is no change; the
// change after it still is.
TEST_F(ChangeWatcherTest, AFileTouchedWithoutAChangeIsNotReported) {
  const auto path = root_ / "cal" / "old.ics";
  const std::string bytes = readFile("cal/old.ics");
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + 5s);
  EXPECT_FALSE(next(500ms));
  writeItem("cal", "old.ics", "BEGIN:VEVENT\nUID:old\nDTSTART:20260620T080000Z\nEND:VEVENT\n");
  EXPECT_EQ(readFile("cal/old.ics"), bytes);
  EXPECT_FALSE(next(500ms));
  writeItem("cal", "old.ics", "BEGIN:VEVENT\nUID:old\nDTSTART:20260620T090000Z\nEND:VEVENT\n");
  auto updated = next();
  ASSERT_TRUE(updated);
  EXPECT_EQ(under(*updated, kUpdatedRecordsKey), (std::vector<std::u16string>{u"old"}));
}

TEST_F(ChangeWatcherTest, EventsChangedTogetherGiveOneNoticeEach) {
  // Faster than the watcher waits for a change to settle, as a sync writes.
  writeItem("cal", "a.ics", "BEGIN:VEVENT\nUID:a\nDTSTART:20260621T080000Z\nEND:VEVENT\n");
  writeItem("cal", "b.ics", "BEGIN:VEVENT\nUID:b\nDTSTART:20260621T090000Z\nEND:VEVENT\n");
  std::filesystem::remove(root_ / "cal" / "old.ics");
  std::vector<std::pair<std::u16string, std::u16string>> seen;  // key, identifier
  while (seen.size() < 3) {
    auto n = next();
    ASSERT_TRUE(n);
    ASSERT_EQ(n->userInfo.size(), 1u);
    const auto& [key, uids] = *n->userInfo.begin();
    ASSERT_EQ(uids.size(), 1u);
    seen.emplace_back(key, uids[0]);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::pair<std::u16string, std::u16string>>{
                      {kDeletedRecordsKey, u"old"}, {kInsertedRecordsKey, u"a"}, {kInsertedRecordsKey, u"b"}}));
  EXPECT_FALSE(next(300ms));
}

TEST_F(ChangeWatcherTest, OwnWritesAndTasksAreNotReported) {
  auto e = std::make_shared<zylo::CalEvent>(*store_->eventWithUID(u"old", std::nullopt));
  e->setTitle(u"Changed here");
  zylo::StoreError error;
  ASSERT_TRUE(store_->saveEvent(*e, zylo::CalSpan::kAllEvents, error));
  writeItem("cal", "task.ics", "BEGIN:VTODO\nUID:t\nSUMMARY:Task\nEND:VTODO\n");
  EXPECT_FALSE(next(500ms));
}

TEST(NotificationCenter, DeliversByNameAndStopsAfterRemoval) {
  foundation::NotificationCenter center;
  std::vector<std::u16string> got;
  auto a = center.addObserver(u"A", [&](const foundation::Notification& n) { got.push_back(u"a:" + n.name); });
  center.addObserver(u"B", [&](const foundation::Notification& n) { got.push_back(u"b:" + n.name); });
  // An observer may remove itself while it is being called.
  foundation::NotificationCenter::Token self = 0;
  self = center.addObserver(u"A", [&](const foundation::Notification&) {
    got.push_back(u"self");
    center.removeObserver(self);
  });
  center.postNotification({u"A", {}});
  center.postNotification({u"A", {}});
  center.removeObserver(a);
  center.postNotification({u"A", {}});
  center.postNotification({u"B", {}});
  EXPECT_EQ(got, (std::vector<std::u16string>{u"a:A", u"self", u"a:A", u"b:B"}));
}

}  // namespace
}  // namespace calendarstore::testing
