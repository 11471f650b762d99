#include "bench/bench_store.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace bench {

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr const char* kBerlin =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
    "TZNAME:CEST\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\nDTSTART:19701025T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

}  // namespace

BenchRoot::~BenchRoot() {
  std::error_code ignored;
  fs::remove_all(path, ignored);
  fs::remove_all(index, ignored);
}

BenchRoot::BenchRoot(int singles, int weeklies)
    : path(fs::temp_directory_path() /
           ("zylo-bench-" + std::to_string(::getpid()) + "-" + std::to_string(singles + weeklies))),
      index(path.string() + ".index") {
  const fs::path& r = path;
  for (const char* calendar : {"home", "work"}) fs::create_directories(r / calendar);
  char text[2048];
  for (int i = 0; i < singles; ++i) {
    const int day = i % 365, hour = 8 + i % 10;
    const auto date = year_month_day{sys_days{year{2026} / 1 / 1} + days{day}};
    std::snprintf(text, sizeof text,
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n%sBEGIN:VEVENT\r\n"
                  "UID:single-%d\r\nDTSTAMP:20260101T000000Z\r\n"
                  "DTSTART;TZID=Europe/Berlin:%04d%02u%02uT%02d0000\r\n"
                  "DTEND;TZID=Europe/Berlin:%04d%02u%02uT%02d3000\r\nSUMMARY:Event %d\r\n"
                  "END:VEVENT\r\nEND:VCALENDAR\r\n",
                  kBerlin, i, int(date.year()), unsigned(date.month()), unsigned(date.day()), hour,
                  int(date.year()), unsigned(date.month()), unsigned(date.day()), hour, i);
    std::ofstream(r / (i % 2 ? "home" : "work") / ("single-" + std::to_string(i) + ".ics")) << text;
  }
  for (int i = 0; i < weeklies; ++i) {
    std::snprintf(text, sizeof text,
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n%sBEGIN:VEVENT\r\n"
                  "UID:weekly-%d\r\nDTSTAMP:20250101T000000Z\r\n"
                  "DTSTART;TZID=Europe/Berlin:202501%02dT%02d0000\r\nDURATION:PT1H\r\n"
                  "RRULE:FREQ=WEEKLY\r\nSUMMARY:Weekly %d\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                  kBerlin, i, 1 + i % 28, 7 + i % 12, i);
    std::ofstream(r / "work" / ("weekly-" + std::to_string(i) + ".ics")) << text;
  }
  // Files changed within the last tick of the file system's clock are
  // checked by their bytes; a store the user has is older than that.
  std::this_thread::sleep_for(seconds{2});
}

const BenchRoot& benchRoot(int items) {
  static std::mutex lock;
  std::lock_guard guard(lock);
  static std::map<int, BenchRoot> roots;
  auto it = roots.find(items);
  if (it == roots.end()) it = roots.try_emplace(items, items - items / 101, items / 101).first;
  return it->second;
}

std::unique_ptr<calendarstore::VdirCalendarStore> openStore(int items, bool withIndex) {
  const BenchRoot& root = benchRoot(items);
  return std::make_unique<calendarstore::VdirCalendarStore>(
      root.path, foundation::namedZone("Europe/Berlin"), foundation::fixedClock(sys_days{year{2026} / 6 / 1}),
      calendarstore::systemFileSystem(), withIndex ? std::optional(root.index) : std::nullopt);
}

}  // namespace bench
