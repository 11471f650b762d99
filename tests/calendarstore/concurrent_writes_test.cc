// Saves while other writers change the same files: another program between
// Zylo's read and its rename, a series moved or an occurrence excluded or an
// event removed after the script opened it, and several stores on one root
// at once, as separate processes would be. No change answered with success
// is lost, and no refused one is written.
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/calendarstore/store_fixture.h"
#include "tests/index_folder.h"

namespace calendarstore::testing {
namespace {

namespace fs = std::filesystem;
using foundation::Date;
using zylo::CalSpan;

// Lets another writer in once: just before Zylo reads a file under its
// lock, or between Zylo's new version and its rename.
class PeerFileSystem final : public FileSystemWrapper {
 public:
  PeerFileSystem() : FileSystemWrapper(systemFileSystem()) {}
  int readFile(const fs::path& path, FileVersion& file) override {
    std::exchange(beforeRead, [] {})();
    return FileSystemWrapper::readFile(path, file);
  }
  int syncFile(const fs::path& path) override {
    const int result = FileSystemWrapper::syncFile(path);
    std::exchange(beforeRename, [] {})();
    return result;
  }
  std::function<void()> beforeRead = [] {}, beforeRename = [] {};
};

// Daily at 10:00 Berlin (08:00 UTC in summer), 100 times from 2026-06-01.
constexpr const char* kDaily =
    "BEGIN:VEVENT\nUID:d\nDTSTART;TZID=Europe/Berlin:20260601T100000\n"
    "DTEND;TZID=Europe/Berlin:20260601T110000\nRRULE:FREQ=DAILY;COUNT=100\nSUMMARY:Daily\nEND:VEVENT\n";
constexpr const char* kSingle =
    "BEGIN:VEVENT\nUID:e\nDTSTART:20260620T080000Z\nDTEND:20260620T090000Z\nSUMMARY:Single\nEND:VEVENT\n";

Date day(int n) { return utc(2026, 6, 1, 8) + std::chrono::days{n}; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ConcurrentWritesTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Cal");
    writeItem("cal", "d.ics", kDaily);
    writeItem("cal", "e.ics", kSingle);
  }
  std::shared_ptr<zylo::CalEvent> open(const std::u16string& uid, std::optional<Date> occurrence = std::nullopt) {
    auto e = store_->eventWithUID(uid, occurrence);
    EXPECT_NE(e, nullptr);
    return e ? std::make_shared<zylo::CalEvent>(*e) : zylo::CalEvent::event();
  }
  // Another program's edit of an item file: a new file renamed over it.
  void rewriteAsPeer(const std::string& file, const std::string& body) {
    writeItem("cal", ".peer.tmp", body);
    fs::rename(root_ / "cal" / ".peer.tmp", root_ / "cal" / file);
  }
  std::string reason() const { return foundation::toUtf8(error_.localizedFailureReason.value_or(u"")); }
  mode_t modeOf(const std::string& relative) const {
    struct stat st {};
    return ::stat((root_ / relative).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  zylo::StoreError error_;
};

TEST_F(ConcurrentWritesTest, AChangeMadeBetweenZylosReadAndItsRenameIsKept) {
  auto files = std::make_shared<PeerFileSystem>();
  store(files);
  auto e = open(u"e");
  e->setTitle(u"Zylo's title");
  files->beforeRename = [&] {
    rewriteAsPeer("e.ics", "BEGIN:VEVENT\nUID:e\nDTSTART:20260620T080000Z\nDTEND:20260620T090000Z\n"
                           "SUMMARY:Single\nLOCATION:Peer's room\nEND:VEVENT\n");
  };
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_)) << reason();
  const std::string file = readFile("cal/e.ics");
  EXPECT_TRUE(contains(file, "SUMMARY:Zylo's title")) << file;
  EXPECT_TRUE(contains(file, "LOCATION:Peer's room")) << file;
  // This store's next answer is what it wrote, with the peer's change in it.
  auto again = store_->eventWithUID(u"e", std::nullopt);
  EXPECT_EQ(again->title(), u"Zylo's title");
  EXPECT_EQ(again->location(), u"Peer's room");
  EXPECT_EQ(e->location(), u"Peer's room");
}

TEST_F(ConcurrentWritesTest, AnOccurrenceTheSeriesNoLongerHasIsNeitherSavedNorRemoved) {
  auto files = std::make_shared<PeerFileSystem>();
  store(files);
  // Another program moves the series from 10:00 to 09:00 after the script opened the fifth.
  std::string moved = kDaily;
  moved.replace(moved.find("T100000"), 7, "T090000").replace(moved.find("T110000"), 7, "T100000");
  for (CalSpan span : {CalSpan::kThisEvent, CalSpan::kFutureEvents, CalSpan::kAllEvents}) {
    writeItem("cal", "d.ics", kDaily);
    auto fifth = open(u"d", day(4));
    fifth->setTitle(u"Fifth");
    std::string peers;
    files->beforeRead = [&] {
      rewriteAsPeer("d.ics", moved);
      peers = readFile("cal/d.ics");
    };
    EXPECT_FALSE(store_->saveEvent(*fifth, span, error_)) << static_cast<int>(span);
    EXPECT_EQ(reason(), "The occurrence no longer exists in the store.");
    EXPECT_EQ(readFile("cal/d.ics"), peers);
    EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"d.ics", "displayname", "e.ics"}));
  }
  writeItem("cal", "d.ics", kDaily);
  auto fifth = open(u"d", day(4));
  files->beforeRead = [&] { rewriteAsPeer("d.ics", moved); };
  EXPECT_FALSE(store_->removeEvent(*fifth, CalSpan::kThisEvent, error_));
  EXPECT_EQ(reason(), "The occurrence no longer exists in the store.");
  EXPECT_FALSE(contains(readFile("cal/d.ics"), "EXDATE"));
}

TEST_F(ConcurrentWritesTest, AnOccurrenceExcludedMeanwhileIsNotBroughtBack) {
  auto files = std::make_shared<PeerFileSystem>();
  store(files);
  std::string excluded = kDaily;
  excluded.insert(excluded.find("SUMMARY"), "EXDATE;TZID=Europe/Berlin:20260605T100000\n");
  for (bool removing : {false, true}) {
    for (CalSpan span : {CalSpan::kThisEvent, CalSpan::kFutureEvents}) {
      writeItem("cal", "d.ics", kDaily);
      auto fifth = open(u"d", day(4));
      fifth->setLocation(u"Elsewhere");
      files->beforeRead = [&] { rewriteAsPeer("d.ics", excluded); };
      EXPECT_FALSE(removing ? store_->removeEvent(*fifth, span, error_) : store_->saveEvent(*fifth, span, error_));
      EXPECT_EQ(reason(), "The occurrence no longer exists in the store.");
      const std::string file = readFile("cal/d.ics");
      EXPECT_FALSE(contains(file, "RECURRENCE-ID") || contains(file, "Elsewhere") || contains(file, "UNTIL")) << file;
    }
  }
  EXPECT_EQ(store_->eventWithUID(u"d", day(4)), nullptr);
}

TEST_F(ConcurrentWritesTest, AnEventRemovedMeanwhileIsNotWrittenAgain) {
  auto files = std::make_shared<PeerFileSystem>();
  store(files);
  auto single = open(u"e");
  auto third = open(u"d", day(2));
  single->setTitle(u"Too late");
  third->setTitle(u"Too late");
  files->beforeRead = [&] { fs::remove(root_ / "cal" / "e.ics"); };
  EXPECT_FALSE(store_->saveEvent(*single, CalSpan::kAllEvents, error_));
  EXPECT_EQ(reason(), "It no longer exists in the store.");
  files->beforeRead = [&] { fs::remove(root_ / "cal" / "d.ics"); };
  EXPECT_FALSE(store_->saveEvent(*third, CalSpan::kThisEvent, error_));
  EXPECT_EQ(reason(), "It no longer exists in the store.");
  EXPECT_EQ(filesIn("cal"), std::vector<std::string>{"displayname"});
  EXPECT_TRUE(events(utc(2026, 1, 1), utc(2027, 1, 1))->empty());
}

TEST_F(ConcurrentWritesTest, FilesKeepTheirModeAndNewItemsAreTheUsersAlone) {
  fs::permissions(root_ / "cal" / "e.ics", fs::perms(0600));
  fs::permissions(root_ / "cal" / "d.ics", fs::perms(0640));
  fs::permissions(root_ / "cal" / "displayname", fs::perms(0640));
  store();
  auto e = open(u"e");
  e->setTitle(u"Edited");
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kAllEvents, error_)) << reason();
  auto third = open(u"d", day(2));
  third->setTitle(u"Edited");
  ASSERT_TRUE(store_->saveEvent(*third, CalSpan::kThisEvent, error_)) << reason();
  auto cal = calendar("cal");
  cal->setTitle(u"Renamed");
  ASSERT_TRUE(store_->saveCalendar(*cal, error_)) << reason();
  auto created = zylo::CalEvent::event();
  created->setCalendar(cal);
  created->setUid(u"new");
  created->setStartDate(utc(2026, 6, 21, 8));
  ASSERT_TRUE(store_->saveEvent(*created, CalSpan::kAllEvents, error_)) << reason();
  EXPECT_EQ(modeOf("cal/e.ics"), 0600u);
  EXPECT_EQ(modeOf("cal/d.ics"), 0640u);
  EXPECT_EQ(modeOf("cal/displayname"), 0640u);
  EXPECT_EQ(modeOf("cal/new.ics"), 0600u);
}

// Four stores on one root, each on its own thread as separate processes
// would be: each retitles its own occurrences of one series ("this") and
// changes its own field of one event, all at once.
TEST_F(ConcurrentWritesTest, SeparateStoresOnOneRootLoseNoChange) {
  constexpr int kWriters = 4, kRounds = 20;
  std::atomic<int> refused{0};
  auto writer = [&](int k) {
    VdirCalendarStore own(root_, zone_, foundation::fixedClock(testNow()), systemFileSystem(),
                          zylo::testing::testIndexFolder(indexFolder_));
    for (int i = 0; i < kRounds; ++i) {
      const auto text = foundation::fromUtf8(std::to_string(k) + "-" + std::to_string(i));
      zylo::StoreError error;
      auto occurrence = std::make_shared<zylo::CalEvent>(*own.eventWithUID(u"d", day(k + kWriters * i)));
      occurrence->setTitle(u"T" + text);
      if (!own.saveEvent(*occurrence, CalSpan::kThisEvent, error)) ++refused;
      auto single = std::make_shared<zylo::CalEvent>(*own.eventWithUID(u"e", std::nullopt));
      switch (k) {
        case 0: single->setTitle(text); break;
        case 1: single->setLocation(text); break;
        case 2: single->setNotes(text); break;
        default: single->setUrl(foundation::Url::withString(u"https://example.org/" + text)); break;
      }
      if (!own.saveEvent(*single, CalSpan::kAllEvents, error)) ++refused;
    }
  };
  std::vector<std::thread> writers;
  for (int k = 0; k < kWriters; ++k) writers.emplace_back(writer, k);
  for (auto& t : writers) t.join();
  EXPECT_EQ(refused, 0);
  store();
  int kept = 0;
  for (int k = 0; k < kWriters; ++k) {
    for (int i = 0; i < kRounds; ++i) {
      const auto title = store_->eventWithUID(u"d", day(k + kWriters * i))->title();
      kept += title == foundation::fromUtf8("T" + std::to_string(k) + "-" + std::to_string(i));
    }
  }
  EXPECT_EQ(kept, kWriters * kRounds);
  const std::u16string last = foundation::fromUtf8("-" + std::to_string(kRounds - 1));
  auto single = store_->eventWithUID(u"e", std::nullopt);
  EXPECT_EQ(single->title(), u"0" + last);
  EXPECT_EQ(single->location(), u"1" + last);
  EXPECT_EQ(single->notes(), u"2" + last);
  EXPECT_EQ(single->url()->absoluteString(), u"https://example.org/3" + last);
}

}  // namespace
}  // namespace calendarstore::testing
