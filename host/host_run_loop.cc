#include "host/host_run_loop.h"

#include <chrono>

#include "platform/foundation/run_loop.h"

namespace zylo::host {

void HostRunLoop::runQueuedScripts() {
  // A script may queue more: they run in turn.
  for (auto queued = takeScriptRequests(); !queued.empty(); queued = takeScriptRequests()) {
    for (const ScriptRequest& request : queued) runScript_(request);
  }
}

void HostRunLoop::runFor(double seconds) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  runQueuedScripts();
  for (auto now = Clock::now(); now < until; now = Clock::now()) {
    foundation::RunLoop::current().runOnce(std::chrono::ceil<std::chrono::milliseconds>(until - now));
    runQueuedScripts();
  }
}

void HostRunLoop::runUntilReadable(int fd) {
  for (;;) {
    runQueuedScripts();
    if (!foundation::RunLoop::current().runOnce(std::chrono::milliseconds(-1), {fd}).empty()) return;
  }
}

}  // namespace zylo::host
