// Sessions of one server side by side, through the host interface: what
// several sessions fetching and walking months get done together against
// one alone, and how long a session's property read waits while another
// session's fetch reads a large store from a cold start.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/bench_store.h"
#include "tests/plugin/test_host.h"

namespace {

using namespace std::chrono;
using zylo::testing::number;
using zylo::testing::text;
using zylo::testing::timestamp;

// A started plug-in over whatever store `current` holds.
struct SharedHost {
  std::mutex lock;
  std::shared_ptr<zylo::CalendarStore> current;
  std::optional<zylo::testing::TestHost> host;

  std::shared_ptr<zylo::CalendarStore> store() {
    std::lock_guard guard(lock);
    return current;
  }
  void replaceStore(std::shared_ptr<zylo::CalendarStore> store) {
    std::lock_guard guard(lock);
    current = std::move(store);
  }
  explicit SharedHost(std::shared_ptr<zylo::CalendarStore> store) : current(std::move(store)) {
    zylo::PlatformServices services = zylo::testing::testPlatform();
    services.timeZone = foundation::namedZone("Europe/Berlin");
    services.calendarStore = [this] { return this->store(); };
    host.emplace(services);
  }
};

// Fetches one month (each session its own turn through the year, so that
// every fetch expands afresh) and walks it as a script's loop does: one
// Zylo_OpenItemAt and one Zylo_GetProperty per occurrence. Answers how many
// occurrences it walked.
int64_t fetchAndWalkAMonth(zylo::testing::TestHost& host, uintptr_t session, int month) {
  host.call(u"Zylo_EventsFetch",
            {timestamp(2026, month, 1, 0, 0, 0), timestamp(2026, month + 1, 1, 0, 0, 0), text(u""), text(u"")}, session);
  const int64_t n = host.call(u"Zylo_GetItemCountForType", {text(u"event")}, session).asNumber().truncated();
  for (int64_t i = 1; i <= n; ++i) {
    host.call(u"Zylo_OpenItemAt", {text(u"event"), number(i)}, session);
    benchmark::DoNotOptimize(host.call(u"Zylo_GetProperty", {text(u"event"), text(u"title")}, session));
  }
  return n;
}

// Threads(n): n sessions at once; items_per_second is the occurrences all
// of them walk per second of wall time.
void BM_SessionsFetchAndWalkMonths(benchmark::State& state) {
  static SharedHost* shared = [] {
    auto* h = new SharedHost(bench::openStore(10100));
    fetchAndWalkAMonth(*h->host, 0, 1);  // the items read once, as a running server has them
    return h;
  }();
  const uintptr_t session = static_cast<uintptr_t>(state.thread_index()) + 1;
  int turn = state.thread_index() * 3;
  int64_t walked = 0;
  for (auto _ : state) walked += fetchAndWalkAMonth(*shared->host, session, 1 + turn++ % 11);
  state.SetItemsProcessed(walked);
}
BENCHMARK(BM_SessionsFetchAndWalkMonths)->Threads(1)->Threads(4)->UseRealTime()->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

// While session 1 fetches a month over 100,100 items in a store that has
// read nothing yet (a new store each time, with its index on disk), session
// 2 reads a property of the event it holds: the counters give that read's
// median and 99th percentile in milliseconds.
void BM_PropertyReadWhileAnotherSessionFetchesColdStore(benchmark::State& state) {
  bench::openStore(100100)->calendars();  // the root made before timing
  SharedHost shared(bench::openStore(10100));
  shared.host->call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"single-7")}, 2);
  std::atomic<bool> done = false;
  std::atomic<int> coldFetches = 0;
  std::atomic<int64_t> fetched = 0;
  std::thread fetcher([&] {
    while (!done) {
      shared.replaceStore(bench::openStore(100100));
      shared.host->call(u"Zylo_EventsFetch",
                        {timestamp(2026, 6, 1, 0, 0, 0), timestamp(2026, 7, 1, 0, 0, 0), text(u""), text(u"")}, 1);
      fetched = shared.host->call(u"Zylo_GetItemCountForType", {text(u"event")}, 1).asNumber().truncated();
      ++coldFetches;
    }
  });
  std::vector<double> waits;
  for (auto _ : state) {
    const auto start = steady_clock::now();
    benchmark::DoNotOptimize(shared.host->call(u"Zylo_GetProperty", {text(u"event"), text(u"title")}, 2));
    waits.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    std::this_thread::sleep_for(milliseconds(1));
  }
  done = true;
  fetcher.join();
  std::sort(waits.begin(), waits.end());
  state.counters["median_ms"] = waits[waits.size() / 2];
  state.counters["p99_ms"] = waits[std::min(waits.size() - 1, waits.size() * 99 / 100)];
  state.counters["cold_fetches"] = coldFetches.load();
  state.counters["occurrences_fetched"] = static_cast<double>(fetched.load());
}
BENCHMARK(BM_PropertyReadWhileAnotherSessionFetchesColdStore)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
