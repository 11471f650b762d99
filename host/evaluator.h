// Evaluates a parsed calculation: the host's built-ins, the functions the
// plug-in registered, and the operators.
#ifndef ZYLO_HOST_EVALUATOR_H_
#define ZYLO_HOST_EVALUATOR_H_

#include "host/ast.h"
#include "host/environment.h"

namespace zylo::host {

class Evaluator {
 public:
  explicit Evaluator(Environment environment);

  // Checks that every name is known and called with a parameter count it
  // accepts, as FileMaker does before a calculation runs, even in branches
  // that will not be taken. Throws SyntaxError or UnknownFunction.
  void check(const Expr& calculation) const;
  // Checks, then evaluates.
  fmxhost::Value evaluate(const Expr& calculation);
  // Evaluates a part of a checked calculation: built-ins use it for their
  // arguments.
  fmxhost::Value evaluatePart(const Expr& part);

  const Environment& environment() const { return environment_; }
  ScriptState& script() { return *environment_.script; }

 private:
  // Names a Let binds for its body, innermost last.
  using Bound = std::vector<std::u16string>;
  void checkIn(const Expr& e, Bound& bound) const;
  void checkCall(const std::u16string& name, size_t argCount, int column) const;
  fmxhost::Value callNamed(const Call& call);
  fmxhost::Value let(const Let& let);
  const fmxhost::Value* boundValue(const std::u16string& name) const;

  Environment environment_;
  std::vector<std::pair<std::u16string, fmxhost::Value>> letValues_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_EVALUATOR_H_
