// Failing the Nth call of one SDK function, and counting the calls.
#include <mutex>

#include "platform/fmx/host/handles.h"

namespace fmxhost {
namespace {

struct FaultState {
  std::mutex lock;
  std::string function;
  int remaining = 0;  // calls of `function` until the failing one; 0: none armed
  int32_t code = kFMX_NoError;
  std::map<std::string, int> counts;
};

FaultState& state() {
  static FaultState s;
  return s;
}

}  // namespace

int32_t injectedFault(const char* function) {
  FaultState& s = state();
  std::lock_guard guard(s.lock);
  ++s.counts[function];
  if (s.remaining == 0 || s.function != function) return kFMX_NoError;
  return --s.remaining == 0 ? s.code : kFMX_NoError;
}

void injectFault(std::string_view function, int nth, int32_t code) {
  FaultState& s = state();
  std::lock_guard guard(s.lock);
  s.function = function;
  s.remaining = nth;
  s.code = code;
}

void clearFault() { injectFault({}, 0, kFMX_NoError); }

std::map<std::string, int> sdkCallCounts() {
  FaultState& s = state();
  std::lock_guard guard(s.lock);
  return s.counts;
}

void resetSdkCallCounts() {
  FaultState& s = state();
  std::lock_guard guard(s.lock);
  s.counts.clear();
}

}  // namespace fmxhost
