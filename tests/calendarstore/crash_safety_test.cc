// A process saving events is killed at random moments, again and again:
// every file left parses, no temporary file passes for an item, every
// save that answered success is there with its content, and the index the
// processes kept answers as the files do.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "platform/calendarstore/item_reader.h"
#include "tests/calendarstore/store_fixture.h"
#include "tests/index_folder.h"

namespace calendarstore::testing {
namespace {

constexpr int kKills = 200;

// The child: saves new events and edits of one stable event until killed,
// telling the parent through `confirmations` of each save that succeeded.
[[noreturn]] void saveUntilKilled(const std::filesystem::path& root, const std::filesystem::path& index, int run,
                                  int confirmations) {
  VdirCalendarStore store(root, foundation::fixedOffsetZone(0), foundation::fixedClock(testNow()),
                          systemFileSystem(), zylo::testing::testIndexFolder(index));
  auto calendar = store.calendarWithUID(u"cal");
  for (int k = 0;; ++k) {
    zylo::StoreError error;
    std::string line;
    if (k % 2 == 0) {
      auto e = zylo::CalEvent::event();
      e->setCalendar(calendar);
      e->setUid(foundation::fromUtf8("run" + std::to_string(run) + "-" + std::to_string(k)));
      e->setTitle(foundation::fromUtf8("created " + std::to_string(k)));
      e->setStartDate(utc(2026, 6, 20, 8));
      if (!store.saveEvent(*e, zylo::CalSpan::kAllEvents, error)) _exit(2);
      line = "C " + foundation::toUtf8(e->uid()) + "\n";
    } else {
      auto e = std::make_shared<zylo::CalEvent>(*store.eventWithUID(u"stable", std::nullopt));
      e->setTitle(foundation::fromUtf8("edit " + std::to_string(run) + " " + std::to_string(k)));
      if (!store.saveEvent(*e, zylo::CalSpan::kAllEvents, error)) _exit(3);
      line = "E " + foundation::toUtf8(*e->title()) + "\n";
    }
    if (::write(confirmations, line.data(), line.size()) < 0) _exit(4);
  }
}

TEST_F(StoreTest, SavesSurviveBeingKilledAtAnyMoment) {
  makeCalendar("cal");
  writeItem("cal", "stable.ics", "BEGIN:VEVENT\nUID:stable\nDTSTART:20260620T080000Z\nSUMMARY:edit 0 0\nEND:VEVENT\n");
  std::mt19937 random(20261208);
  std::vector<std::string> created;
  std::string lastEdit = "edit 0 0";
  for (int run = 1; run <= kKills; ++run) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      saveUntilKilled(root_, indexFolder_, run, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 15000)(random));
    ::kill(child, SIGKILL);
    int status;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped by itself: " << status;
    std::string confirmed;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) confirmed.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    std::istringstream lines(confirmed);
    for (std::string kind, rest; lines >> kind && std::getline(lines >> std::ws, rest);) {
      if (kind == "C") created.push_back(rest);
      if (kind == "E") lastEdit = rest;
    }
  }
  // Everything in the folder is either a complete item or a hidden temporary file.
  ZoneTable zones(foundation::fixedOffsetZone(0));
  for (const std::string& name : filesIn("cal")) {
    if (name.starts_with(".")) {
      EXPECT_TRUE(name.starts_with(".zylo-")) << name;
      continue;
    }
    EXPECT_TRUE(readItemFile(readFile("cal/" + name), zones).item) << name;
  }
  store();
  EXPECT_TRUE(store_->unreadableFiles().empty());
  for (const std::string& uid : created) {
    EXPECT_NE(store_->eventWithUID(foundation::fromUtf8(uid), std::nullopt), nullptr) << uid;
  }
  // The stable event holds the last confirmed edit, or a later one that was
  // complete when its process died before it could confirm it.
  const std::string title = foundation::toUtf8(*store_->eventWithUID(u"stable", std::nullopt)->title());
  std::istringstream last(lastEdit.substr(5)), now(title.substr(5));
  int lastRun, lastK, nowRun, nowK;
  last >> lastRun >> lastK;
  now >> nowRun >> nowK;
  EXPECT_GE(std::make_pair(nowRun, nowK), std::make_pair(lastRun, lastK)) << title << " after " << lastEdit;
  // The index the killed processes kept answers as the files do.
  auto everything = [](VdirCalendarStore& s) {
    std::vector<std::string> seen;
    for (const auto& e : *s.eventsWithPredicate(
             *zylo::EventPredicate::eventPredicateWithStartDate(utc(2026, 1, 1), utc(2027, 1, 1), s.calendars()))) {
      seen.push_back(foundation::toUtf8(e->uid() + u" " + *e->title()));
    }
    return seen;
  };
  VdirCalendarStore indexed(root_, foundation::fixedOffsetZone(0), foundation::fixedClock(testNow()),
                            systemFileSystem(), indexFolder_);
  VdirCalendarStore plain(root_, foundation::fixedOffsetZone(0), foundation::fixedClock(testNow()));
  EXPECT_EQ(everything(indexed), everything(plain));
  std::cout << "[ info ] " << created.size() << " confirmed new events, last edit " << lastEdit << "\n";
}

}  // namespace
}  // namespace calendarstore::testing
