// A session that runs a script of one script file, as the server runs a
// script for a client or a schedule: its own session id (which every call
// to the plug-in names), script state, evaluator, loaded file, queue of the
// scripts the plug-in asks for, and output.
//
// Made and loaded on any thread; then run on one thread.
#ifndef ZYLO_HOST_SCRIPT_SESSION_H_
#define ZYLO_HOST_SCRIPT_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>

#include "host/environment.h"
#include "host/evaluator.h"
#include "host/host_run_loop.h"
#include "host/script_requests.h"
#include "host/script_runner.h"
#include "host/session_output.h"

namespace zylo::host {

class ScriptSession {
 public:
  // Calculations read the clock and zone of `world`; the session brings
  // its own id, script state and error reports.
  ScriptSession(uintptr_t id, const Environment& world, SessionOutput output);
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  // Loads the script file and picks its script `scriptName` (letter case
  // ignored), else its first. Answers kStatusOk, or kStatusRefused (and
  // reports why) when the file cannot be read or parsed or has no such
  // script.
  int load(const std::string& path, const std::optional<std::string>& scriptName);

  // Runs the picked script with `parameter`, then the session's run loop
  // for `waitSeconds` so that the scripts the plug-in asks for run; `idle`
  // sends this session's Idle. Meanwhile the plug-in's requests on the
  // calling thread come to this session. Answers kStatusOk, or reports and
  // answers kStatusStepFailed (a step failed) or kStatusFailed (the host
  // failed). REQUIRES: load answered kStatusOk.
  int run(const std::u16string& parameter, double waitSeconds, const HostRunLoop::Idle& idle);

  uintptr_t id() const { return id_; }
  // Thread-safe.
  ScriptRequestQueue& requests() { return requests_; }

 private:
  int perform(const std::u16string& parameter, double waitSeconds, const HostRunLoop::Idle& idle);
  void runRequested(ScriptRunner& runner, const ScriptRequest& request);

  const uintptr_t id_;
  const SessionOutput output_;
  Evaluator evaluator_;
  ScriptLibrary library_;
  ScriptRequestQueue requests_{library_};
  const ScriptFile* file_ = nullptr;
  const Script* script_ = nullptr;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_SESSION_H_
