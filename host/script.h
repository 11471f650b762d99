// A database's scripts as the script file writes them, parsed: each step
// with the line it stands on, calculations already parsed and checked.
#ifndef ZYLO_HOST_SCRIPT_H_
#define ZYLO_HOST_SCRIPT_H_

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/ast.h"

namespace zylo::host {

struct Step;
using Steps = std::vector<Step>;

struct SetVariable {
  std::u16string name;  // $name or $$name
  ExprPtr value;
};
struct IfStep {
  // The If and each Else If with their steps; an Else is a branch without a test.
  struct Branch {
    ExprPtr test;  // null for Else
    Steps steps;
  };
  std::vector<Branch> branches;
};
struct LoopStep {
  Steps steps;
};
struct ExitLoopIf {
  ExprPtr test;
};
struct PerformScript {
  std::u16string script;
  ExprPtr parameter;  // may be null
};
struct ExitScript {
  ExprPtr result;  // may be null
};
struct Show {
  ExprPtr value;
};
struct Pause {
  ExprPtr seconds;
};
// Set Error Capture [ On ]: accepted; errors never stop a script here.
struct SetErrorCapture {};

struct Step {
  std::variant<SetVariable, IfStep, LoopStep, ExitLoopIf, PerformScript, ExitScript, Show, Pause,
               SetErrorCapture>
      step;
  int line = 0, column = 1;
};

struct Script {
  std::u16string name;
  Steps steps;
  int line = 0;
};

// One database: its name is the file name without extension.
struct ScriptFile {
  std::string path;
  std::u16string database;
  std::vector<Script> scripts;

  // The script of that name (letter case ignored), or null.
  const Script* find(std::u16string_view name) const;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_H_
