#include "host/script_session.h"

#include <memory>

#include "host/exit_status.h"
#include "host/script_error.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

Environment sessionEnvironment(uintptr_t id, const Environment& world, const SessionOutput& output) {
  Environment environment = world;
  environment.sessionId = id;
  environment.script = std::make_shared<ScriptState>();
  environment.hostErrorReported = [output](std::u16string_view function, FMX_Err error) {
    output.report(foundation::toUtf8(function) + " answered host error " + std::to_string(error));
  };
  return environment;
}

}  // namespace

ScriptSession::ScriptSession(uintptr_t id, const Environment& world, SessionOutput output)
    : id_(id), output_(output), evaluator_(sessionEnvironment(id, world, output)) {}

int ScriptSession::load(const std::string& path, const std::optional<std::string>& scriptName) {
  try {
    file_ = &library_.load(path, evaluator_);
  } catch (const std::exception& e) {
    output_.report(e.what());
    return kStatusRefused;
  }
  script_ = scriptName ? file_->find(foundation::fromUtf8(*scriptName)) : &file_->scripts.front();
  if (!script_) {
    output_.report(path + " has no script \"" + *scriptName + "\"");
    return kStatusRefused;
  }
  return kStatusOk;
}

int ScriptSession::run(const std::u16string& parameter, double waitSeconds, const HostRunLoop::Idle& idle) {
  RequestsGoTo here(&requests_);
  try {
    return perform(parameter, waitSeconds, idle);
  } catch (const std::exception& e) {
    output_.report(e.what());
    return kStatusFailed;
  }
}

int ScriptSession::perform(const std::u16string& parameter, double waitSeconds, const HostRunLoop::Idle& idle) {
  std::unique_ptr<ScriptRunner> runner;
  HostRunLoop loop([&](const ScriptRequest& request) { runRequested(*runner, request); }, idle);
  runner = std::make_unique<ScriptRunner>(
      evaluator_, [&](const fmxhost::Value& v) { output_.show(v); },
      [&](double seconds) { loop.runFor(seconds, kFMXT_ScriptPaused); });
  try {
    runner->perform(*file_, *script_, {parameter});
  } catch (const ScriptRunError& e) {
    output_.report(e.what());
    return kStatusStepFailed;
  }
  loop.runFor(waitSeconds, kFMXT_UserIdle);
  return kStatusOk;
}

// A script the plug-in asked for; a step that fails is reported and the
// session goes on, as FileMaker does with a triggered script.
void ScriptSession::runRequested(ScriptRunner& runner, const ScriptRequest& request) {
  const ScriptFile* file = library_.find(request.fileName);
  const Script* script = file ? file->find(request.scriptName) : nullptr;
  if (!script) return;
  try {
    runner.perform(*file, *script, request.parameter);
  } catch (const ScriptRunError& e) {
    output_.report(e.what());
  }
}

}  // namespace zylo::host
