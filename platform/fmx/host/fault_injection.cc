// Failing the Nth call of one SDK function, and counting the calls. Every
// SDK call of every session passes here, so the common case (no fault
// armed) takes no lock: counts live in a fixed table of atomics keyed by
// the address of the function's name.
#include <array>
#include <atomic>
#include <mutex>

#include "platform/fmx/host/handles.h"

namespace fmxhost {
namespace {

// More than the library's functions, so that the table never fills.
constexpr size_t kCountSlots = 512;

struct CountSlot {
  std::atomic<const char*> function{nullptr};
  std::atomic<int> count{0};
};

struct FaultState {
  std::atomic<bool> armed{false};
  std::mutex lock;  // guards the three fields below
  std::string function;
  int remaining = 0;  // calls of `function` until the failing one; 0: none armed
  int32_t code = kFMX_NoError;
  std::array<CountSlot, kCountSlots> counts;
};

FaultState& state() {
  static FaultState s;
  return s;
}

// The slot of `function` (a name the library passes as __func__, so one
// address per function), claimed on its first call.
CountSlot& slotOf(const char* function) {
  auto& slots = state().counts;
  size_t i = std::hash<const char*>{}(function) % kCountSlots;
  for (;; i = (i + 1) % kCountSlots) {
    const char* held = slots[i].function.load(std::memory_order_acquire);
    if (held == function) return slots[i];
    if (held == nullptr && slots[i].function.compare_exchange_strong(held, function)) return slots[i];
    if (held == function) return slots[i];
  }
}

}  // namespace

int32_t injectedFault(const char* function) {
  FaultState& s = state();
  slotOf(function).count.fetch_add(1, std::memory_order_relaxed);
  if (!s.armed.load(std::memory_order_acquire)) return kFMX_NoError;
  std::lock_guard guard(s.lock);
  if (s.remaining == 0 || s.function != function) return kFMX_NoError;
  if (--s.remaining != 0) return kFMX_NoError;
  s.armed = false;
  return s.code;
}

void injectFault(std::string_view function, int nth, int32_t code) {
  FaultState& s = state();
  std::lock_guard guard(s.lock);
  s.function = function;
  s.remaining = nth;
  s.code = code;
  s.armed = nth > 0;
}

void clearFault() { injectFault({}, 0, kFMX_NoError); }

std::map<std::string, int> sdkCallCounts() {
  std::map<std::string, int> counts;
  for (const CountSlot& slot : state().counts) {
    const char* function = slot.function.load(std::memory_order_acquire);
    const int count = slot.count.load(std::memory_order_relaxed);
    if (function != nullptr && count > 0) counts[function] += count;
  }
  return counts;
}

void resetSdkCallCounts() {
  for (CountSlot& slot : state().counts) slot.count.store(0, std::memory_order_relaxed);
}

}  // namespace fmxhost
