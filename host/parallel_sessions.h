// Runs script sessions at once, each on a thread of its own, as the server
// runs its script sessions. The calling thread plays the host's main thread:
// it alone calls the plug-in's entry point, one message at a time: a
// session's Idle whenever that session's run loop turns, and its session
// shut-down once its script has ended. So a paused session's Idle goes out
// while other sessions run scripts, and every Idle comes from the main
// thread.
#ifndef ZYLO_HOST_PARALLEL_SESSIONS_H_
#define ZYLO_HOST_PARALLEL_SESSIONS_H_

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "host/script_session.h"

namespace zylo::host {

// The entry point's messages, sent on the calling thread; neither throws.
struct SessionMessages {
  std::function<void(uint8_t level, uintptr_t session)> idle;
  std::function<void(uintptr_t session)> sessionShutdown;
};

// Runs every loaded session with `parameter` and `waitSeconds`
// (ScriptSession::run) and answers the highest status they answered.
// Returns once every session has ended and been shut down.
int runInParallel(std::span<const std::unique_ptr<ScriptSession>> sessions, const std::u16string& parameter,
                  double waitSeconds, const SessionMessages& messages);

}  // namespace zylo::host

#endif  // ZYLO_HOST_PARALLEL_SESSIONS_H_
