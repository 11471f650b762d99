// The host's run loop: it lets the plug-in's ports wake the host and runs
// the scripts the plug-in asked for whenever it is idle.
#ifndef ZYLO_HOST_HOST_RUN_LOOP_H_
#define ZYLO_HOST_HOST_RUN_LOOP_H_

#include <functional>

#include "host/script_requests.h"

namespace zylo::host {

class HostRunLoop {
 public:
  explicit HostRunLoop(std::function<void(const ScriptRequest&)> runScript)
      : runScript_(std::move(runScript)) {}

  // Runs for that long, the queued scripts included.
  void runFor(double seconds);
  // Runs until `fd` (standard input) has something to read.
  void runUntilReadable(int fd);
  // Runs the scripts queued so far, in order.
  void runQueuedScripts();

 private:
  std::function<void(const ScriptRequest&)> runScript_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_HOST_RUN_LOOP_H_
