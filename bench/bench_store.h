// Generated stores for the benchmarks, at the size a busy user reaches:
// 10,000 single events over a year and 100 weekly repeating ones, in two
// calendars (and ten times that), each file with a Berlin VTIMEZONE as
// calendar programs write them.
#ifndef ZYLO_BENCH_BENCH_STORE_H_
#define ZYLO_BENCH_BENCH_STORE_H_

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/calendarstore/vdir_calendar_store.h"

namespace bench {

// A generated root with its index folder beside it, removed at exit.
struct BenchRoot {
  BenchRoot(int singles, int weeklies);
  ~BenchRoot();
  BenchRoot(const BenchRoot&) = delete;
  BenchRoot& operator=(const BenchRoot&) = delete;
  std::filesystem::path path, index;
};

// Roots by number of items (a hundredth of them weekly), made on first
// use. Thread-safe.
const BenchRoot& benchRoot(int items);

// A new store over that root, with its index on disk unless `withIndex` is
// false, in Berlin, its clock at 1 June 2026.
std::unique_ptr<calendarstore::VdirCalendarStore> openStore(int items, bool withIndex = true);

}  // namespace bench

#endif  // ZYLO_BENCH_BENCH_STORE_H_
