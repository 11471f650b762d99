// The store at the size a busy user reaches: 10,000 single events over a
// year and 100 weekly repeating ones, in two calendars. Measures opening the
// root and answering a 30-day fetch, and a positional walk over that fetch.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/calendarstore/vdir_calendar_store.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// The generated root, removed when the benchmark ends.
struct BenchRoot {
  fs::path path;
  ~BenchRoot() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

const fs::path& benchRoot() {
  static const BenchRoot root{[] {
    fs::path r = fs::temp_directory_path() / ("zylo-bench-" + std::to_string(::getpid()));
    for (const char* calendar : {"home", "work"}) fs::create_directories(r / calendar);
    char text[512];
    for (int i = 0; i < 10000; ++i) {
      const int day = i % 365, hour = 8 + i % 10;
      const auto date = year_month_day{sys_days{year{2026} / 1 / 1} + days{day}};
      std::snprintf(text, sizeof text,
                    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\nBEGIN:VEVENT\r\n"
                    "UID:single-%d\r\nDTSTAMP:20260101T000000Z\r\n"
                    "DTSTART;TZID=Europe/Berlin:%04d%02u%02uT%02d0000\r\n"
                    "DTEND;TZID=Europe/Berlin:%04d%02u%02uT%02d3000\r\nSUMMARY:Event %d\r\n"
                    "END:VEVENT\r\nEND:VCALENDAR\r\n",
                    i, int(date.year()), unsigned(date.month()), unsigned(date.day()), hour,
                    int(date.year()), unsigned(date.month()), unsigned(date.day()), hour, i);
      std::ofstream(r / (i % 2 ? "home" : "work") / ("single-" + std::to_string(i) + ".ics")) << text;
    }
    for (int i = 0; i < 100; ++i) {
      std::snprintf(text, sizeof text,
                    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\nBEGIN:VEVENT\r\n"
                    "UID:weekly-%d\r\nDTSTAMP:20250101T000000Z\r\n"
                    "DTSTART;TZID=Europe/Berlin:202501%02dT%02d0000\r\nDURATION:PT1H\r\n"
                    "RRULE:FREQ=WEEKLY\r\nSUMMARY:Weekly %d\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                    i, 1 + i % 28, 7 + i % 12, i);
      std::ofstream(r / "work" / ("weekly-" + std::to_string(i) + ".ics")) << text;
    }
    return r;
  }()};
  return root.path;
}

std::unique_ptr<calendarstore::VdirCalendarStore> openStore() {
  return std::make_unique<calendarstore::VdirCalendarStore>(
      benchRoot(), foundation::namedZone("Europe/Berlin"), foundation::fixedClock(sys_days{year{2026} / 6 / 1}));
}

std::shared_ptr<const zylo::EventPredicate> thirtyDays(zylo::CalendarStore& store) {
  const foundation::Date start = sys_days{year{2026} / 6 / 1};
  return zylo::EventPredicate::eventPredicateWithStartDate(start, start + days{30}, store.calendars());
}

void BM_OpenAndFetchThirtyDays(benchmark::State& state) {
  benchRoot();
  size_t found = 0;
  for (auto _ : state) {
    auto store = openStore();
    found = store->eventsWithPredicate(*thirtyDays(*store))->size();
  }
  state.counters["occurrences"] = static_cast<double>(found);
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OpenAndFetchThirtyDays)->Unit(benchmark::kMillisecond)->Iterations(3);

// Count, then open 1..n and read title and start of each, as a script's
// loop does: every open asks the store again with the stored predicate.
void BM_WalkEveryOccurrence(benchmark::State& state) {
  auto store = openStore();
  auto predicate = thirtyDays(*store);
  const size_t n = store->eventsWithPredicate(*predicate)->size();
  for (auto _ : state) {
    for (size_t i = 0; i < n; ++i) {
      auto list = store->eventsWithPredicate(*predicate);
      auto event = std::make_shared<zylo::CalEvent>(*(*list)[i]);
      benchmark::DoNotOptimize(event->title());
      benchmark::DoNotOptimize(event->startDate());
    }
  }
  // items_per_second is occurrences walked per second.
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
  state.counters["occurrences"] = static_cast<double>(n);
}
BENCHMARK(BM_WalkEveryOccurrence)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
