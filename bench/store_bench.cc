// The store over generated calendars (bench_store.h). Measures what a new
// process pays for its first answers (with the index a former process left,
// and without one), listing calendars, a repeated fetch, a fetch after
// another program changed a file, and a positional walk over a fetch.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "bench/bench_store.h"
#include "platform/calendarstore/file_swap.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "plugin/plugin_state.h"
#include "tests/plugin/test_host.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using bench::benchRoot;
using bench::openStore;

std::shared_ptr<const zylo::EventPredicate> thirtyDays(zylo::CalendarStore& store) {
  const foundation::Date start = sys_days{year{2026} / 6 / 1};
  return zylo::EventPredicate::eventPredicateWithStartDate(start, start + days{30}, store.calendars());
}

void reportMemory(benchmark::State& state) {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A new process's first fetch and count, with the index a former process
// left: what a script's first Zylo_EventsFetch and count cost.
void BM_NewStoreFetchAndCount(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  openStore(items)->eventsWithPredicate(*thirtyDays(*openStore(items)));  // leaves the index
  size_t found = 0;
  for (auto _ : state) {
    auto store = openStore(items);
    found = store->eventsWithPredicate(*thirtyDays(*store))->size();
  }
  state.counters["occurrences"] = static_cast<double>(found);
  reportMemory(state);
}
BENCHMARK(BM_NewStoreFetchAndCount)->Arg(10100)->Arg(100100)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same without an index: every file parsed.
void BM_NewStoreFetchWithoutIndex(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto store = openStore(items, false);
    benchmark::DoNotOptimize(store->eventsWithPredicate(*thirtyDays(*store))->size());
  }
  reportMemory(state);
}
BENCHMARK(BM_NewStoreFetchWithoutIndex)->Arg(10100)->Unit(benchmark::kMillisecond)->Iterations(3);

// Counting calendars, or finding one by title, in a new process.
void BM_NewStoreCountsCalendars(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto store = openStore(items);
    benchmark::DoNotOptimize(store->calendars().size());
  }
}
BENCHMARK(BM_NewStoreCountsCalendars)->Arg(10100)->Arg(100100)->Unit(benchmark::kMillisecond)->Iterations(20);

// A script fetching the same month again in the same process.
void BM_WarmRefetch(benchmark::State& state) {
  auto store = openStore(10100);
  store->eventsWithPredicate(*thirtyDays(*store));
  for (auto _ : state) benchmark::DoNotOptimize(store->eventsWithPredicate(*thirtyDays(*store))->size());
}
BENCHMARK(BM_WarmRefetch)->Unit(benchmark::kMillisecond);

// Another program rewrites one item file; the next fetch has the change.
void BM_FetchAfterAnotherProgramChangedAFile(benchmark::State& state) {
  auto store = openStore(10100);
  const fs::path file = benchRoot(10100).path / "work" / "single-5000.ics";
  std::string text;
  std::getline(std::ifstream(file), text, '\0');
  store->eventsWithPredicate(*thirtyDays(*store));
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string changed = text;
    changed.replace(changed.find("SUMMARY:"), 8, "SUMMARY:" + std::to_string(++round) + " ");
    std::ofstream(file, std::ios::trunc) << changed;
    state.ResumeTiming();
    benchmark::DoNotOptimize(store->eventsWithPredicate(*thirtyDays(*store))->size());
  }
  std::ofstream(file, std::ios::trunc) << text;
}
BENCHMARK(BM_FetchAfterAnotherProgramChangedAFile)->Unit(benchmark::kMillisecond)->Iterations(20);

// Count, then open 1..n and read title and start of each, as a script's
// loop does: every open asks the store again with the stored predicate.
void BM_WalkEveryOccurrence(benchmark::State& state) {
  auto store = openStore(10100);
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

// The same walk as a script makes it through the host interface: one
// Zylo_OpenItemAt and one Zylo_GetProperty per occurrence.
void BM_HostOpensOccurrenceAndReadsTitle(benchmark::State& state) {
  std::shared_ptr<zylo::CalendarStore> store = openStore(10100);
  zylo::PlatformServices services = zylo::testing::testPlatform();
  services.timeZone = foundation::namedZone("Europe/Berlin");
  services.calendarStore = [store] { return store; };
  zylo::testing::TestHost host(services);
  using zylo::testing::text;
  host.call(u"Zylo_EventsFetch", {zylo::testing::timestamp(2026, 6, 1, 0, 0, 0),
                                  zylo::testing::timestamp(2026, 7, 1, 0, 0, 0), text(u""), text(u"")});
  const int64_t n = host.call(u"Zylo_GetItemCountForType", {text(u"event")}).asNumber().truncated();
  int64_t position = 0;
  for (auto _ : state) {
    host.call(u"Zylo_OpenItemAt", {text(u"event"), zylo::testing::number(position % n + 1)});
    benchmark::DoNotOptimize(host.call(u"Zylo_GetProperty", {text(u"event"), text(u"title")}));
    ++position;
  }
  state.counters["occurrences"] = static_cast<double>(n);
}
BENCHMARK(BM_HostOpensOccurrenceAndReadsTitle)->Unit(benchmark::kMicrosecond);

// A script's "this" edit of one occurrence of a weekly series: the item's
// lock, reading and merging its file, the flushed new file, the swap and
// its check, and the store taking in what it wrote.
void BM_SaveOneOccurrence(benchmark::State& state) {
  auto store = openStore(10100);
  const foundation::Date wednesday = sys_days{year{2026} / 6 / 3} + hours{5};
  store->eventWithUID(u"weekly-0", wednesday);  // reads the store
  int round = 0;
  for (auto _ : state) {
    auto event = std::make_shared<zylo::CalEvent>(*store->eventWithUID(u"weekly-0", wednesday));
    event->setTitle(foundation::fromUtf8("Edit " + std::to_string(++round)));
    zylo::StoreError error;
    if (!store->saveEvent(*event, zylo::CalSpan::kThisEvent, error)) state.SkipWithError("the save was refused");
  }
}
BENCHMARK(BM_SaveOneOccurrence)->Unit(benchmark::kMillisecond);

// Threads changing one file through the compare-and-swap step at once, as
// Zylo processes saving one item do: what waiting for its lock costs.
void BM_SwapOneFileFromThreads(benchmark::State& state) {
  static const bench::BenchRoot folder(0, 0);
  const calendarstore::Merge count = [](const calendarstore::FileVersion* current) {
    return calendarstore::Swap::replace(std::to_string((current ? std::stoi(current->bytes) : 0) + 1));
  };
  for (auto _ : state) {
    const auto outcome =
        calendarstore::swapFile(*calendarstore::systemFileSystem(), folder.path / "home" / "one.ics", count);
    if (outcome.kind != calendarstore::SwapOutcome::kDone) state.SkipWithError("the swap did not happen");
  }
}
BENCHMARK(BM_SwapOneFileFromThreads)->Threads(1)->Threads(4)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
