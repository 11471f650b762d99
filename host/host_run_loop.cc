#include "host/host_run_loop.h"

#include <algorithm>

#include "platform/foundation/run_loop.h"

namespace zylo::host {

void HostRunLoop::turn() {
  if (idle_) idle_();
  // A script may queue more: they run in turn.
  for (auto queued = takeScriptRequests(); !queued.empty(); queued = takeScriptRequests()) {
    for (const ScriptRequest& request : queued) runScript_(request);
  }
}

void HostRunLoop::runFor(double seconds) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  turn();
  for (auto now = Clock::now(); now < until; now = Clock::now()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
    foundation::RunLoop::current().runOnce(std::min(left, kIdleInterval));
    turn();
  }
}

void HostRunLoop::runUntilReadable(int fd) {
  for (;;) {
    turn();
    if (!foundation::RunLoop::current().runOnce(kIdleInterval, {fd}).empty()) return;
  }
}

}  // namespace zylo::host
