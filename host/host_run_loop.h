// A session's run loop: it waits for standard input or for time to pass,
// tells the plug-in the session is idle every time it turns, and runs the
// scripts the plug-in asked the session for (the thread's queue,
// script_requests.h) whenever it is idle.
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
  // `idle(level)` tells the plug-in the session is idle at that Idle level
  // (kFMXT_UserIdle, kFMXT_ScriptPaused); it may then ask for scripts.
  using Idle = std::function<void(uint8_t level)>;
  HostRunLoop(std::function<void(const ScriptRequest&)> runScript, Idle idle)
      : runScript_(std::move(runScript)), idle_(std::move(idle)) {}

  // Runs for that long, the queued scripts included.
  void runFor(double seconds, uint8_t level);
  // Runs until `fd` (standard input) has something to read; the user is idle.
  void runUntilReadable(int fd);
  // Sends Idle, then runs the scripts queued so far, in order.
  void turn(uint8_t level);

  // How long the loop waits between two Idle messages: the longest a
  // change notice waits for its script.
  static constexpr std::chrono::milliseconds kIdleInterval{50};

 private:
  std::function<void(const ScriptRequest&)> runScript_;
  Idle idle_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_HOST_RUN_LOOP_H_
