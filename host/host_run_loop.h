// The host's run loop: it waits for standard input or for time to pass,
// sends the plug-in Idle every time it turns, and runs the scripts the
// plug-in asked for whenever it is idle.
//
// Only the thread that made it runs it.
#ifndef ZYLO_HOST_HOST_RUN_LOOP_H_
#define ZYLO_HOST_HOST_RUN_LOOP_H_

#include <chrono>
#include <functional>

#include "host/script_requests.h"

namespace zylo::host {

class HostRunLoop {
 public:
  // `idle` tells the plug-in the host is idle; it may then ask for scripts.
  HostRunLoop(std::function<void(const ScriptRequest&)> runScript, std::function<void()> idle)
      : runScript_(std::move(runScript)), idle_(std::move(idle)) {}

  // Runs for that long, the queued scripts included.
  void runFor(double seconds);
  // Runs until `fd` (standard input) has something to read.
  void runUntilReadable(int fd);
  // Sends Idle, then runs the scripts queued so far, in order.
  void turn();

  // How long the loop waits between two Idle messages: the longest a
  // change notice waits for its script.
  static constexpr std::chrono::milliseconds kIdleInterval{50};

 private:
  std::function<void(const ScriptRequest&)> runScript_;
  std::function<void()> idle_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_HOST_RUN_LOOP_H_
