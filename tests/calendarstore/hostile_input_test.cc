// Input from outside that is not what a calendar program writes: each is
// skipped or refused with a reason, never a crash and never a write
// outside the store.
#include <fstream>

#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

std::string reasonFor(VdirCalendarStore& store, const std::string& file) {
  for (const auto& [path, reason] : store.unreadableFiles()) {
    if (path.filename() == file) return reason;
  }
  return "read as an item";
}

TEST_F(StoreTest, HugeBinaryAndDeeplyNestedFilesAreSkipped) {
  makeCalendar("cal");
  {
    std::ofstream huge(root_ / "cal" / "huge.ics", std::ios::binary);
    huge << "BEGIN:VCALENDAR\r\n";
    const std::string line = "X-PADDING:" + std::string(1000, 'x') + "\r\n";
    for (int i = 0; i < 20000; ++i) huge << line;
    huge << "END:VCALENDAR\r\n";
  }
  std::ofstream(root_ / "cal" / "binary.ics", std::ios::binary) << std::string("BEGIN:VCALENDAR\0\xff\xfe", 19);
  {
    std::ofstream deep(root_ / "cal" / "deep.ics", std::ios::binary);
    deep << "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:deep\r\nDTSTART:20260620T080000Z\r\n";
    for (int i = 0; i < 100000; ++i) deep << "BEGIN:VALARM\r\n";
    for (int i = 0; i < 100000; ++i) deep << "END:VALARM\r\n";
    deep << "END:VEVENT\r\nEND:VCALENDAR\r\n";
  }
  store();
  EXPECT_EQ(reasonFor(*store_, "huge.ics"), "the file is larger than 16 MB");
  EXPECT_EQ(reasonFor(*store_, "binary.ics"), "the file is not text");
  // Whatever libical makes of the nesting, the store answers.
  events(utc(2026, 6, 1), utc(2026, 7, 1));
}

TEST_F(StoreTest, ACalendarThatDisappearsMidWalkIsJustGone) {
  makeCalendar("cal");
  writeItem("cal", "a.ics", "BEGIN:VEVENT\nUID:a\nDTSTART:20260620T080000Z\nEND:VEVENT\n");
  store();
  auto before = events(utc(2026, 6, 1), utc(2026, 7, 1));
  ASSERT_EQ(before->size(), 1u);
  auto kept = std::make_shared<zylo::CalEvent>(*(*before)[0]);
  std::filesystem::remove_all(root_ / "cal");
  EXPECT_TRUE(events(utc(2026, 6, 1), utc(2026, 7, 1))->empty());
  EXPECT_EQ(store_->eventWithUID(u"a", std::nullopt), nullptr);
  zylo::StoreError error;
  kept->setTitle(u"changed");
  EXPECT_FALSE(store_->saveEvent(*kept, zylo::CalSpan::kAllEvents, error));
  EXPECT_EQ(error.localizedFailureReason, u"Its calendar no longer exists.");
  EXPECT_FALSE(std::filesystem::exists(root_ / "cal"));
}

TEST_F(StoreTest, ACalendarFolderThatIsALinkIsNotFollowed) {
  const auto outside = root_.parent_path() / (root_.filename().string() + "-outside");
  std::filesystem::create_directories(outside);
  std::ofstream(outside / "displayname") << "Outside\n";
  std::filesystem::create_directory_symlink(outside, root_ / "linked");
  makeCalendar("cal", "Cal");
  EXPECT_EQ(store().calendars().size(), 1u);
  std::filesystem::remove_all(outside);
}

}  // namespace
}  // namespace calendarstore::testing
