#include "host/script_runner.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "host/script_error.h"
#include "host/script_parser.h"
#include "host/value_conversion.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

// Deeper than this a script that performs itself is taken to run away.
constexpr size_t kMaxNesting = 200;

}  // namespace

const ScriptFile& ScriptLibrary::load(const std::string& path, const Evaluator& evaluator) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto file = std::make_unique<ScriptFile>(parseScriptFile(path, foundation::fromUtf8(bytes), evaluator));
  auto& slot = files_[foundation::lowercased(file->database)];
  slot = std::move(file);
  return *slot;
}

const ScriptFile* ScriptLibrary::find(std::u16string_view database) const {
  auto it = files_.find(foundation::lowercased(database));
  return it == files_.end() ? nullptr : it->second.get();
}

ScriptRunner::ScriptRunner(Evaluator& evaluator, std::function<void(const fmxhost::Value&)> show,
                           std::function<void(double)> pause)
    : evaluator_(evaluator), show_(std::move(show)), pause_(std::move(pause)) {}

fmxhost::Value ScriptRunner::perform(const ScriptFile& file, const Script& script,
                                     fmxhost::Value parameter) {
  ScriptState& state = evaluator_.script();
  state.enter({file.database, script.name, std::move(parameter), {}});
  fmxhost::Value result{u""};
  try {
    run(file, script.steps, result);
  } catch (...) {
    state.leave();
    throw;
  }
  state.leave();
  return result;
}

ScriptRunner::Flow ScriptRunner::run(const ScriptFile& file, const Steps& steps, fmxhost::Value& result) {
  for (const Step& step : steps) {
    const Flow flow = runStep(file, step, result);
    if (flow != Flow::kNext) return flow;
  }
  return Flow::kNext;
}

ScriptRunner::Flow ScriptRunner::runStep(const ScriptFile& file, const Step& step, fmxhost::Value& result) {
  auto value = [&](const ExprPtr& e) { return evaluator_.evaluatePart(*e); };
  try {
    if (const auto* set = std::get_if<SetVariable>(&step.step)) {
      evaluator_.script().setVariable(set->name, value(set->value));
    } else if (const auto* ifStep = std::get_if<IfStep>(&step.step)) {
      for (const IfStep::Branch& branch : ifStep->branches) {
        if (!branch.test || isTrue(value(branch.test))) return run(file, branch.steps, result);
      }
    } else if (const auto* loop = std::get_if<LoopStep>(&step.step)) {
      for (;;) {
        const Flow flow = run(file, loop->steps, result);
        if (flow == Flow::kExitLoop) break;
        if (flow == Flow::kExitScript) return flow;
      }
    } else if (const auto* exitLoop = std::get_if<ExitLoopIf>(&step.step)) {
      if (isTrue(value(exitLoop->test))) return Flow::kExitLoop;
    } else if (const auto* perform = std::get_if<PerformScript>(&step.step)) {
      if (evaluator_.script().depth() >= kMaxNesting) {
        throw ScriptRunError(file.path, step.line, step.column, "scripts performed more than 200 deep");
      }
      fmxhost::Value parameter = perform->parameter ? value(perform->parameter) : fmxhost::Value{u""};
      evaluator_.script().scriptResult = this->perform(file, *file.find(perform->script), std::move(parameter));
    } else if (const auto* exit = std::get_if<ExitScript>(&step.step)) {
      if (exit->result) result = value(exit->result);
      return Flow::kExitScript;
    } else if (const auto* show = std::get_if<Show>(&step.step)) {
      show_(value(show->value));
    } else if (const auto* pause = std::get_if<Pause>(&step.step)) {
      const double seconds = numberOrZero(value(pause->seconds)).toDouble();
      pause_(seconds > 0 ? seconds : 0);
    }
  } catch (const ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    throw ScriptRunError(file.path, step.line, step.column, e.what());
  }
  return Flow::kNext;
}

}  // namespace zylo::host
