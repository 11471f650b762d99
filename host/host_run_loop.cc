#include "host/host_run_loop.h"

#include <algorithm>

#include "platform/foundation/run_loop.h"

namespace zylo::host {

void HostRunLoop::turn(uint8_t level) {
  if (idle_) idle_(level);
  // A script may queue more: they run in turn.
  for (auto queued = takeScriptRequests(); !queued.empty(); queued = takeScriptRequests()) {
    for (const ScriptRequest& request : queued) runScript_(request);
  }
}

void HostRunLoop::runFor(double seconds, uint8_t level) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  turn(level);
  for (auto now = Clock::now(); now < until; now = Clock::now()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
    foundation::RunLoop::current().runOnce(std::min(left, kIdleInterval));
    turn(level);
  }
}

void HostRunLoop::runUntilReadable(int fd) {
  for (;;) {
    turn(kFMXT_UserIdle);
    if (!foundation::RunLoop::current().runOnce(kIdleInterval, {fd}).empty()) return;
  }
}

}  // namespace zylo::host
