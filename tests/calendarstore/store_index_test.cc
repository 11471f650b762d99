// The index on disk: a new store answers from it only for files whose stamp
// (and, when they changed within the last tick, whose bytes) still match;
// a damaged, foreign or other-zone index is rebuilt; several stores share
// one index; the answers are those of a store without an index.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/calendarstore/item_codec.h"
#include "platform/calendarstore/item_reader.h"
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

namespace fs = std::filesystem;

class StoreIndexTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Home");
  }

  // A store with an index, whatever mode the suite runs in.
  VdirCalendarStore& indexed(ZonePtr zone = nullptr) {
    store_.reset();
    store_ = std::make_unique<VdirCalendarStore>(root_, zone ? zone : zone_, foundation::fixedClock(testNow()),
                                                 systemFileSystem(), indexFolder_);
    return *store_;
  }

  void writeEvent(const std::string& uid, const std::string& title, const std::string& start = "20260620T080000Z") {
    writeItem("cal", uid + ".ics",
              "BEGIN:VEVENT\nUID:" + uid + "\nDTSTART:" + start + "\nSUMMARY:" + title + "\nEND:VEVENT\n");
  }

  std::string titleOf(const std::string& uid) {
    auto event = store_->eventWithUID(foundation::fromUtf8(uid), std::nullopt);
    return event ? foundation::toUtf8(event->title().value_or(u"")) : "(none)";
  }

  // Rewrites the file in place with `title` (of the same length) and puts
  // back its modification time: only its bytes tell the change.
  void changeKeepingStamp(const std::string& uid, const std::string& title) {
    const fs::path path = root_ / "cal" / (uid + ".ics");
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    std::string text = readFile(fs::path("cal") / (uid + ".ics"));
    const size_t at = text.find("SUMMARY:") + 8;
    text.replace(at, title.size(), title);
    {
      std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    ASSERT_EQ(stampOf(before), stampOf(after));
  }

  void setModified(const std::string& uid, int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (root_ / "cal" / (uid + ".ics")).c_str(), times, 0), 0);
  }

  fs::path indexFile() const { return StoreIndex::fileFor(indexFolder_, fs::absolute(root_)); }
};

// A file the index knows under its current stamp is not parsed again: a
// change that keeps the stamp (which no editor makes) goes unseen.
TEST_F(StoreIndexTest, ANewStoreAnswersFromTheIndexWhileTheStampHolds) {
  writeEvent("a", "Old title");
  setModified("a", 1700000000);
  EXPECT_EQ((indexed(), titleOf("a")), "Old title");
  changeKeepingStamp("a", "New title");
  EXPECT_EQ((indexed(), titleOf("a")), "Old title");
  // Any change of stamp brings the file's new contents.
  setModified("a", 1700000001);
  EXPECT_EQ((indexed(), titleOf("a")), "New title");
}

// A file indexed right after it changed may change again within the same
// tick of the file system's clock: its row counts only while its bytes match.
TEST_F(StoreIndexTest, AFileIndexedJustAfterAChangeIsCheckedByItsBytes) {
  writeEvent("a", "Old title");
  EXPECT_EQ((indexed(), titleOf("a")), "Old title");
  changeKeepingStamp("a", "New title");
  EXPECT_EQ((indexed(), titleOf("a")), "New title");
}

TEST_F(StoreIndexTest, FilesAddedChangedOrRemovedByOthersAreSeenByTheNextStore) {
  writeEvent("a", "Kept");
  writeEvent("b", "Before");
  writeEvent("c", "Removed");
  indexed().calendars();
  EXPECT_EQ(events(utc(2026, 6, 1), utc(2026, 7, 1))->size(), 3u);
  store_.reset();
  writeEvent("b", "After, longer");
  fs::remove(root_ / "cal" / "c.ics");
  writeEvent("d", "Added");
  indexed();
  EXPECT_EQ(titleOf("a"), "Kept");
  EXPECT_EQ(titleOf("b"), "After, longer");
  EXPECT_EQ(titleOf("c"), "(none)");
  EXPECT_EQ(titleOf("d"), "Added");
}

// Damage of every kind costs a rebuild, never a wrong answer or a failure.
TEST_F(StoreIndexTest, ADamagedOrForeignIndexIsBuiltAgain) {
  writeEvent("a", "Old title");
  setModified("a", 1700000000);
  const std::vector<std::function<void()>> damages = {
      [&] { std::ofstream(indexFile(), std::ios::binary | std::ios::trunc) << std::string(5000, 'x'); },
      [&] { fs::resize_file(indexFile(), 100); },
      [&] {
        sqlite3* db;
        ASSERT_EQ(sqlite3_open(indexFile().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA user_version=77", nullptr, nullptr, nullptr);
        sqlite3_close(db);
      },
      [&] {
        sqlite3* db;
        ASSERT_EQ(sqlite3_open(indexFile().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "UPDATE files SET contents=x'00'", nullptr, nullptr, nullptr);
        sqlite3_close(db);
      },
  };
  for (size_t i = 0; i < damages.size(); ++i) {
    SCOPED_TRACE(i);
    fs::remove_all(indexFolder_);
    changeKeepingStamp("a", "Old title");
    EXPECT_EQ((indexed(), titleOf("a")), "Old title");
    store_.reset();
    // A sound index would still answer the old title.
    changeKeepingStamp("a", "New title");
    damages[i]();
    EXPECT_EQ((indexed(), titleOf("a")), "New title");
    // The rebuilt index answers the next store.
    store_.reset();
    changeKeepingStamp("a", "Now title");
    EXPECT_EQ((indexed(), titleOf("a")), "New title");
  }
}

// Floating times and dates belong to the default zone: an index made under
// another zone answers nothing.
TEST_F(StoreIndexTest, AnIndexMadeUnderAnotherDefaultZoneIsNotUsed) {
  writeEvent("a", "Floating", "20260620T080000");
  auto startIn = [&](ZonePtr zone) {
    indexed(zone);
    return *store_->eventWithUID(u"a", std::nullopt)->startDate();
  };
  EXPECT_EQ(startIn(zone_), utc(2026, 6, 20, 6));
  EXPECT_EQ(startIn(foundation::fixedOffsetZone(0)), utc(2026, 6, 20, 8));
  EXPECT_EQ(startIn(zone_), utc(2026, 6, 20, 6));
}

// Two stores on one root (two processes) share the index and see each
// other's writes.
TEST_F(StoreIndexTest, TwoStoresShareOneIndex) {
  writeEvent("a", "First");
  VdirCalendarStore other(root_, zone_, foundation::fixedClock(testNow()), systemFileSystem(), indexFolder_);
  indexed();
  for (int round = 0; round < 5; ++round) {
    VdirCalendarStore& writer = round % 2 ? other : *store_;
    VdirCalendarStore& reader = round % 2 ? *store_ : other;
    auto event = std::make_shared<zylo::CalEvent>(*writer.eventWithUID(u"a", std::nullopt));
    event->setTitle(foundation::fromUtf8("Round " + std::to_string(round)));
    zylo::StoreError error;
    ASSERT_TRUE(writer.saveEvent(*event, zylo::CalSpan::kAllEvents, error));
    EXPECT_EQ(*reader.eventWithUID(u"a", std::nullopt)->title(), event->title());
  }
  EXPECT_EQ((indexed(), titleOf("a")), "Round 4");
}

// Two processes saving into one store at once, each with the index: both
// see every event, and so does a later process.
TEST_F(StoreIndexTest, TwoProcessesSavingAtOnceLoseNothing) {
  constexpr int kSaves = 30;
  auto saveEvents = [&](VdirCalendarStore& store, const std::string& prefix) {
    for (int k = 0; k < kSaves; ++k) {
      auto e = zylo::CalEvent::event();
      e->setCalendar(store.calendarWithUID(u"cal"));
      e->setUid(foundation::fromUtf8(prefix + std::to_string(k)));
      e->setTitle(e->uid());
      e->setStartDate(utc(2026, 6, 20, 8));
      zylo::StoreError error;
      if (!store.saveEvent(*e, zylo::CalSpan::kAllEvents, error)) return false;
    }
    return true;
  };
  indexed();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    VdirCalendarStore mine(root_, zone_, foundation::fixedClock(testNow()), systemFileSystem(), indexFolder_);
    _exit(saveEvents(mine, "child-") ? 0 : 1);
  }
  EXPECT_TRUE(saveEvents(*store_, "parent-"));
  int status;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(events(utc(2026, 6, 1), utc(2026, 7, 1))->size(), 2u * kSaves);
  indexed();
  EXPECT_EQ(events(utc(2026, 6, 1), utc(2026, 7, 1))->size(), 2u * kSaves);
  EXPECT_EQ(titleOf("child-" + std::to_string(kSaves - 1)), "child-" + std::to_string(kSaves - 1));
}

// Listing calendars reads their folders only; a fetch reads the items of
// the calendars it names.
TEST_F(StoreIndexTest, ItemsAreReadWhenAQueryFirstNeedsThem) {
  makeCalendar("other", "Other");
  writeEvent("a", "Home event");
  writeItem("other", "b.ics", "BEGIN:VEVENT\nUID:b\nDTSTART:20260620T080000Z\nEND:VEVENT\n");
  auto rows = [&] {
    sqlite3* db;
    EXPECT_EQ(sqlite3_open(indexFile().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s;
    sqlite3_prepare_v2(db, "SELECT group_concat(name) FROM files", -1, &s, nullptr);
    sqlite3_step(s);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    std::string names = text ? text : "";
    sqlite3_finalize(s);
    sqlite3_close(db);
    return names;
  };
  ASSERT_EQ(indexed().calendars().size(), 2u);
  EXPECT_EQ(rows(), "");
  store_->eventsWithPredicate(*zylo::EventPredicate::eventPredicateWithStartDate(
      utc(2026, 6, 1), utc(2026, 7, 1), {store_->calendarWithUID(u"cal")}));
  EXPECT_EQ(rows(), "a.ics");
}

TEST_F(StoreIndexTest, SkippedFilesStaySkippedWithTheirReason) {
  writeItem("cal", "two.ics",
            "BEGIN:VEVENT\nUID:x\nDTSTART:20260620T080000Z\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:y\nDTSTART:20260620T080000Z\nEND:VEVENT\n");
  const auto first = indexed().unreadableFiles();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(indexed().unreadableFiles(), first);
}

// The records the index keeps read back as the file reads.
TEST(ItemCodec, RecordsReadBackAsParsed) {
  ZoneTable zones(foundation::namedZone("Europe/Berlin"));
  const std::string file =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\nBEGIN:VEVENT\r\nUID:s\r\nSUMMARY:Série ✓\r\n"
      "DESCRIPTION:Line 1\\nLine 2\r\nLOCATION:Room\r\nURL:https://example.org/a\r\n"
      "DTSTAMP:20260101T000000Z\r\nDTSTART;TZID=America/New_York:20260105T090000\r\nDURATION:PT90M\r\n"
      "RRULE:FREQ=WEEKLY;COUNT=10\r\nRDATE;VALUE=PERIOD:20260301T100000Z/20260301T120000Z\r\n"
      "EXDATE;VALUE=DATE:20260112\r\nEXDATE:20260119T140000Z\r\n"
      "ATTENDEE;CN=Ann;PARTSTAT=ACCEPTED:mailto:ann@example.org\r\n"
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:-PT5M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID;RANGE=THISANDFUTURE:20260126T140000Z\r\n"
      "DTSTART:20260126T150000\r\nSUMMARY:Moved\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  const ReadOutcome read = readItemFile(file, zones);
  ASSERT_TRUE(read.item);
  const auto bytes = encodeContents(&*read.item, "", zones);
  ASSERT_TRUE(bytes);
  const auto back = decodeContents(*bytes, zones);
  ASSERT_TRUE(back && back->item);
  EXPECT_EQ(encodeContents(&*back->item, "", zones), bytes);
  const ComponentRecord& main = back->item->main;
  EXPECT_EQ(main.title, u"Série ✓");
  EXPECT_EQ(main.start->zone->name(), "America/New_York");
  EXPECT_EQ(main.exdateDays.size(), 1u);
  ASSERT_EQ(main.attendees.size(), 1u);
  EXPECT_EQ(main.attendees[0].address->absoluteString(), u"mailto:ann@example.org");
  EXPECT_TRUE(main.alarms.at(0).fromEnd);
  ASSERT_EQ(back->item->overrides.size(), 1u);
  EXPECT_TRUE(back->item->overrides[0].thisAndFuture);
  EXPECT_EQ(back->item->overrides[0].start->zone, zones.defaultZone());
  EXPECT_TRUE(back->item->rule);

  // Every damaged copy decodes to nothing.
  for (size_t at = 0; at < bytes->size(); at += 7) {
    std::string damaged = *bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    EXPECT_FALSE(decodeContents(damaged, zones)) << at;
    EXPECT_FALSE(decodeContents(std::string_view(*bytes).substr(0, at), zones)) << at;
  }
}

// A zone known only from the file's own VTIMEZONE is not named by the
// bytes: such a file is parsed each time.
TEST(ItemCodec, ZonesOnlyTheFileDefinesAreNotEncoded) {
  ZoneTable zones(foundation::namedZone("Europe/Berlin"));
  const std::string file =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//EN\r\nBEGIN:VTIMEZONE\r\nTZID:Own\r\n"
      "BEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nTZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\n"
      "END:STANDARD\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\nUID:o\r\nDTSTART;TZID=Own:20260105T090000\r\n"
      "END:VEVENT\r\nEND:VCALENDAR\r\n";
  const ReadOutcome read = readItemFile(file, zones);
  ASSERT_TRUE(read.item);
  EXPECT_FALSE(encodeContents(&*read.item, "", zones));
  const auto problem = encodeContents(nullptr, "the file holds no event or task", zones);
  ASSERT_TRUE(problem);
  EXPECT_EQ(decodeContents(*problem, zones)->problem, "the file holds no event or task");
}

}  // namespace
}  // namespace calendarstore::testing
