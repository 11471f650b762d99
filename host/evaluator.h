// Evaluates a parsed calculation: the host's built-ins, the functions the
// plug-in registered, and the operators.
#ifndef ZYLO_HOST_EVALUATOR_H_
#define ZYLO_HOST_EVALUATOR_H_

#include "host/ast.h"
#include "host/environment.h"

namespace zylo::host {

class Evaluator {
 public:
  explicit Evaluator(Environment environment) : environment_(std::move(environment)) {}

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

 private:
  void checkCall(const std::u16string& name, size_t argCount, int column) const;
  fmxhost::Value callNamed(const Call& call);

  Environment environment_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_EVALUATOR_H_
