// Reads a script file: `Script "Name"` ... `End Script` blocks of steps,
// one step a line, `#` lines as comments.
#ifndef ZYLO_HOST_SCRIPT_PARSER_H_
#define ZYLO_HOST_SCRIPT_PARSER_H_

#include <string>
#include <string_view>

#include "host/evaluator.h"
#include "host/script.h"

namespace zylo::host {

// Parses `text` (the contents of the file at `path`) and checks every
// calculation against `evaluator`'s functions and every Perform Script
// against the file's scripts. Throws ScriptSyntaxError.
ScriptFile parseScriptFile(const std::string& path, std::u16string_view text, const Evaluator& evaluator);

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_PARSER_H_
