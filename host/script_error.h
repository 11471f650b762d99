// A script file that cannot be run, or a step that failed: reported as
// "FILE:LINE:COLUMN: message".
#ifndef ZYLO_HOST_SCRIPT_ERROR_H_
#define ZYLO_HOST_SCRIPT_ERROR_H_

#include <stdexcept>
#include <string>

namespace zylo::host {

class ScriptError : public std::runtime_error {
 public:
  ScriptError(const std::string& file, int line, int column, const std::string& message)
      : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                           message) {}
};

// Found before anything runs.
class ScriptSyntaxError : public ScriptError {
 public:
  using ScriptError::ScriptError;
};

// A step that failed while the script ran.
class ScriptRunError : public ScriptError {
 public:
  using ScriptError::ScriptError;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_ERROR_H_
