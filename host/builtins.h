// The host's own functions (Date, If, GetValue, Get, ...), looked up by
// name ignoring case before the plug-in's functions.
#ifndef ZYLO_HOST_BUILTINS_H_
#define ZYLO_HOST_BUILTINS_H_

#include <string_view>

#include "host/ast.h"

namespace zylo::host {

class Evaluator;

struct Builtin {
  std::u16string_view name;
  int minArgs, maxArgs;  // a negative maxArgs sets no limit
  // Gets the arguments unevaluated, so that If and Case evaluate only the
  // branch they answer; the count has been checked.
  fmxhost::Value (*apply)(Evaluator& evaluator, const Call& call);
  // Replaces the usual check that each argument is a calculation, for a
  // built-in whose argument is a name it reads (Get); throws SyntaxError.
  void (*checkArguments)(const Call& call) = nullptr;
  // Arguments may be [ a ; b ] pairs (Substitute).
  bool takesPairs = false;
};

const Builtin* findBuiltin(std::u16string_view name);

}  // namespace zylo::host

#endif  // ZYLO_HOST_BUILTINS_H_
