// What a calculation sees of the world around it: the clock and zone that
// Get ( CurrentTimestamp ) reads, where host errors of plug-in functions are
// reported, and the session its calls belong to.
#ifndef ZYLO_HOST_ENVIRONMENT_H_
#define ZYLO_HOST_ENVIRONMENT_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "host/script_state.h"
#include "platform/fmx/fmx_abi.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/time_zone.h"

namespace zylo::host {

// The one session of eval, repl and a plain run.
inline constexpr uintptr_t kMainSession = 1;

struct Environment {
  std::shared_ptr<const foundation::Clock> clock;
  std::shared_ptr<const foundation::TimeZone> zone;
  // Told when a plug-in function answers a host error (its result is "?").
  std::function<void(std::u16string_view function, FMX_Err error)> hostErrorReported;
  // The running script's variables and names; an evaluator without one
  // keeps its own.
  std::shared_ptr<ScriptState> script;
  // Every call to a plug-in function names this session (never 0).
  uintptr_t sessionId = kMainSession;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_ENVIRONMENT_H_
