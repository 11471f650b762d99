// Runs the scripts of the loaded script files, step by step, with
// FileMaker's scopes: $variables for one script run, $$variables for the
// whole run.
#ifndef ZYLO_HOST_SCRIPT_RUNNER_H_
#define ZYLO_HOST_SCRIPT_RUNNER_H_

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/evaluator.h"
#include "host/script.h"

namespace zylo::host {

// The loaded script files by database name (letter case ignored), so that
// a request to run a script by file and script name finds it.
class ScriptLibrary {
 public:
  // Reads and parses the file; throws ScriptSyntaxError, or std::runtime_error
  // when it cannot be read.
  const ScriptFile& load(const std::string& path, const Evaluator& evaluator);
  const ScriptFile* find(std::u16string_view database) const;

 private:
  std::map<std::u16string, std::unique_ptr<ScriptFile>> files_;
};

class ScriptRunner {
 public:
  // `show` prints a Show step's value; `pause` runs the host's run loop for
  // that many seconds.
  ScriptRunner(Evaluator& evaluator, std::function<void(const fmxhost::Value&)> show,
               std::function<void(double seconds)> pause);

  // Runs a script with its parameter and answers what it exited with.
  // Throws ScriptRunError when a step fails.
  fmxhost::Value perform(const ScriptFile& file, const Script& script, fmxhost::Value parameter);

 private:
  enum class Flow { kNext, kExitLoop, kExitScript };
  Flow run(const ScriptFile& file, const Steps& steps, fmxhost::Value& result);
  Flow runStep(const ScriptFile& file, const Step& step, fmxhost::Value& result);

  Evaluator& evaluator_;
  std::function<void(const fmxhost::Value&)> show_;
  std::function<void(double)> pause_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_RUNNER_H_
