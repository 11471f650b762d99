// Many sessions of one server at once: seeded random sequences of creating,
// editing by every span, reading and removing, each session with items of
// its own in one shared calendar. Run all together on threads, every
// session's answers must be exactly those it gets running alone.
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "tests/functions/function_fixture.h"
#include "tests/functions/sample_calendars.h"

namespace zylo::testing {
namespace {

using Transcript = std::vector<std::string>;

// One session's script: its calls and what it writes down of each answer.
// Identifiers are written as the session's own names for them, in the order
// they first appear, so that runs with other fresh identifiers compare.
class SessionScript {
 public:
  using Caller = std::function<fmxhost::Value(std::u16string_view, std::vector<fmxhost::Value>)>;
  SessionScript(Caller call, uintptr_t session, uint32_t seed)
      : call_(std::move(call)), session_(session), random_(seed) {}

  Transcript run(int steps) {
    for (int i = 0; i < steps; ++i) {
      switch (pick(6)) {
        case 0: case 1: create(); break;
        case 2: case 3: editOccurrence(); break;
        case 4: removeOccurrence(); break;
        default: list(); break;
      }
    }
    for (const auto& [uid, name] : names_) {
      note("final " + name);
      listOccurrences(uid);
    }
    return std::move(transcript_);
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  fmxhost::Value call(std::u16string_view function, std::vector<fmxhost::Value> params) {
    return call_(function, std::move(params));
  }
  // Writes down the answer and, for a failure, the session's own error.
  void record(const std::string& what, const fmxhost::Value& answer) {
    std::string line = what + " -> " + foundation::toUtf8(answer.asText());
    if (textOf(answer) == u"!!ERROR!!") {
      line += " " + foundation::toUtf8(textOf(call(u"Zylo_GetLastError", {}))) + " " +
              foundation::toUtf8(call(u"Zylo_GetLastError", {text(u"number")}).asText());
    }
    note(line);
  }
  void note(std::string line) { transcript_.push_back(std::move(line)); }

  std::string nameOf(const std::u16string& uid) {
    auto it = std::find_if(names_.begin(), names_.end(), [&](const auto& n) { return n.first == uid; });
    if (it != names_.end()) return it->second;
    names_.emplace_back(uid, "item" + std::to_string(names_.size() + 1));
    return names_.back().second;
  }
  // The current event's identifier, written down by name.
  void noteCurrentUid() { note("uid " + nameOf(textOf(call(u"Zylo_GetProperty", {text(u"event"), text(u"uid")})))); }

  fmxhost::Value at(int day, int hour) { return timestamp(2026, 7, day, hour, 0, 0); }
  fmxhost::Value fetchAll(const std::u16string& uid) {
    return call(u"Zylo_EventsFetch", {at(1, 0), timestamp(2026, 9, 1, 0, 0, 0), text(u"Home"), text(uid)});
  }

  void create() {
    const int day = 1 + pick(20), hour = 8 + pick(8);
    const std::string title = "s" + std::to_string(session_) + "-" + std::to_string(++made_);
    record("new", call(u"Zylo_NewItem", {text(u"event")}));
    // Between the calls another session runs too: what this one holds stays its own.
    record("calendar", call(u"Zylo_SetProperty", {text(u"event"), text(u"calendartitle"), text(u"Home")}));
    record("title", call(u"Zylo_SetProperty", {text(u"event"), text(u"title"), text(foundation::fromUtf8(title))}));
    record("start", call(u"Zylo_SetProperty", {text(u"event"), text(u"startdate"), at(day, hour)}));
    record("end", call(u"Zylo_SetProperty", {text(u"event"), text(u"enddate"), at(day, hour + 1)}));
    if (pick(2) == 0) {
      record("daily", call(u"Zylo_AddRecurrence", {text(u"daily"), number(1 + pick(2)), text(u""), text(u""),
                                                   text(u""), text(u""), text(u""), number(3 + pick(4))}));
    }
    record("save", call(u"Zylo_SaveItem", {text(u"event"), text(u"all")}));
    noteCurrentUid();
  }

  // Opens occurrence `position` of one of the session's items (by the
  // fetch's order); answers its occurrence, or none.
  std::optional<std::pair<std::u16string, fmxhost::Value>> openSome() {
    if (names_.empty()) return std::nullopt;
    auto it = std::next(names_.begin(), pick(static_cast<int>(names_.size())));
    record("fetch " + it->second, fetchAll(it->first));
    const int64_t count = call(u"Zylo_GetItemCountForType", {text(u"event")}).asNumber().truncated();
    note("count " + std::to_string(count));
    if (count <= 0) return std::nullopt;
    record("open", call(u"Zylo_OpenItemAt", {text(u"event"), number(1 + pick(static_cast<int>(count)))}));
    fmxhost::Value occurrence = call(u"Zylo_GetProperty", {text(u"event"), text(u"occurrence")});
    record("occurrence", occurrence);
    return std::pair{it->first, occurrence};
  }

  const char16_t* span() {
    static constexpr const char16_t* kSpans[] = {u"this", u"future", u"all"};
    return kSpans[pick(3)];
  }

  void editOccurrence() {
    if (!openSome()) return;
    if (pick(2) == 0) {
      const std::string title = "t" + std::to_string(++made_);
      record("retitle", call(u"Zylo_SetProperty", {text(u"event"), text(u"title"), text(foundation::fromUtf8(title))}));
    } else {
      fmxhost::Value start = call(u"Zylo_GetProperty", {text(u"event"), text(u"startdate")});
      auto ts = std::get<fmxhost::Timestamp>(start.content);
      ts.time.hour = 6 + pick(12);
      record("move", call(u"Zylo_SetProperty", {text(u"event"), text(u"startdate"), {ts}}));
      ts.time.hour += 1;
      record("end", call(u"Zylo_SetProperty", {text(u"event"), text(u"enddate"), {ts}}));
    }
    const char16_t* chosen = span();
    record("save " + foundation::toUtf8(chosen), call(u"Zylo_SaveItem", {text(u"event"), text(chosen)}));
    noteCurrentUid();
  }

  void removeOccurrence() {
    auto opened = openSome();
    if (!opened) return;
    const char16_t* chosen = span();
    record("remove " + foundation::toUtf8(chosen),
           call(u"Zylo_RemoveItem", {text(u"event"), text(opened->first), opened->second, text(chosen)}));
  }

  void list() {
    for (const auto& [uid, name] : names_) {
      note("list " + name);
      listOccurrences(uid);
    }
  }

  void listOccurrences(const std::u16string& uid) {
    record("fetch", fetchAll(uid));
    const int64_t count = call(u"Zylo_GetItemCountForType", {text(u"event")}).asNumber().truncated();
    for (int64_t i = 1; i <= count; ++i) {
      call(u"Zylo_OpenItemAt", {text(u"event"), number(i)});
      std::string line;
      for (const char16_t* property : {u"title", u"startdate", u"enddate"}) {
        line += foundation::toUtf8(call(u"Zylo_GetProperty", {text(u"event"), text(property)}).asText()) + " | ";
      }
      note(line);
    }
  }

  const Caller call_;
  const uintptr_t session_;
  std::mt19937 random_;
  std::vector<std::pair<std::u16string, std::string>> names_;  // in the order first seen
  int made_ = 0;
  Transcript transcript_;
};

// Reports the first line where a run left what the session got alone.
void expectSame(const Transcript& got, const Transcript& alone, const std::string& which) {
  const size_t n = std::min(got.size(), alone.size());
  const size_t first = std::mismatch(got.begin(), got.begin() + n, alone.begin()).first - got.begin();
  if (first == n && got.size() == alone.size()) return;
  ADD_FAILURE() << which << ", line " << first << ":\n  together: " << (first < got.size() ? got[first] : "(end)")
                << "\n  alone:    " << (first < alone.size() ? alone[first] : "(end)");
}

class SessionsTest : public FunctionTest {
 protected:
  static constexpr int kSessions = 8;
  static constexpr int kSteps = 25;

  SessionScript script(uintptr_t s, uint32_t seed) {
    return SessionScript([this, s](std::u16string_view f, std::vector<fmxhost::Value> p) { return callIn(s, f, std::move(p)); },
                         s, seed * 100 + s);
  }

  std::vector<Transcript> runAlone(uint32_t seed) {
    std::vector<Transcript> all;
    for (int s = 1; s <= kSessions; ++s) {
      all.push_back(script(s, seed).run(kSteps));
      endSession(s);
    }
    return all;
  }

  std::vector<Transcript> runTogether(uint32_t seed) {
    std::vector<Transcript> all(kSessions);
    std::vector<std::thread> threads;
    for (int s = 1; s <= kSessions; ++s) {
      threads.emplace_back([&, s] { all[s - 1] = script(s, seed).run(kSteps); });
    }
    for (auto& t : threads) t.join();
    return all;
  }

  void startAfresh() {
    std::filesystem::remove_all(root_);
    writeSampleCalendars(root_);
    restartStoreAt(std::chrono::sys_days{std::chrono::year{2026} / 6 / 15} + std::chrono::hours{12});
  }
};

TEST_F(SessionsTest, EverySessionAnswersAsIfAlone) {
  const uint32_t seeds = std::getenv("ZYLO_SESSION_SEEDS") ? std::atoi(std::getenv("ZYLO_SESSION_SEEDS")) : 2;
  for (uint32_t seed = 1; seed <= seeds; ++seed) {
    startAfresh();
    const std::vector<Transcript> alone = runAlone(seed);
    startAfresh();
    const std::vector<Transcript> together = runTogether(seed);
    for (int s = 0; s < kSessions; ++s) expectSame(together[s], alone[s], "session " + std::to_string(s + 1) + ", seed " + std::to_string(seed));
    for (int s = 1; s <= kSessions; ++s) endSession(s);
  }
}

// One session's half-made event is never another's: the first session's
// save saves its own event with its own title.
TEST_F(SessionsTest, ANewItemBelongsToTheSessionThatMadeIt) {
  auto set = [&](uintptr_t s, const char16_t* property, fmxhost::Value v) {
    expectNumber(callIn(s, u"Zylo_SetProperty", {text(u"event"), text(property), std::move(v)}), 0);
  };
  expectNumber(callIn(1, u"Zylo_NewItem", {text(u"event")}), 0);
  set(1, u"title", text(u"Mine"));
  expectNumber(callIn(2, u"Zylo_NewItem", {text(u"event")}), 0);
  set(2, u"calendartitle", text(u"Home"));
  set(2, u"startdate", timestamp(2026, 7, 2, 10, 0, 0));
  expectNumber(callIn(2, u"Zylo_SaveItem", {text(u"event")}), 0);
  EXPECT_EQ(textOf(callIn(1, u"Zylo_SaveItem", {text(u"event")})), u"!!ERROR!!");
  EXPECT_EQ(textOf(callIn(2, u"Zylo_GetLastError", {})), u"Success");
  EXPECT_EQ(textOf(callIn(1, u"Zylo_GetProperty", {text(u"event"), text(u"title")})), u"Mine");
  EXPECT_EQ(textOf(callIn(2, u"Zylo_GetProperty", {text(u"event"), text(u"title")})), u"");
  // Session shutdown lets the session's state go: its next call starts afresh.
  endSession(1);
  EXPECT_EQ(textOf(callIn(1, u"Zylo_GetProperty", {text(u"event"), text(u"title")})), u"!!ERROR!!");
  EXPECT_EQ(callIn(1, u"Zylo_GetLastError", {text(u"number")}).asText(), u"9000");
}

}  // namespace
}  // namespace zylo::testing
