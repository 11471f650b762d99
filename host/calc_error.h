// The ways a calculation can be refused before it runs.
#ifndef ZYLO_HOST_CALC_ERROR_H_
#define ZYLO_HOST_CALC_ERROR_H_

#include <stdexcept>
#include <string>

namespace zylo::host {

// A calculation that does not follow the syntax, or calls a function with
// the wrong number of parameters. Columns count characters from 1.
class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int column, const std::string& what)
      : std::runtime_error("syntax error at column " + std::to_string(column) + ": " + what),
        column_(column), message_(what) {}
  int column() const { return column_; }
  // What is wrong, without the column.
  const std::string& message() const { return message_; }

 private:
  int column_;
  std::string message_;
};

// A call of a name that is neither a built-in nor a registered function.
class UnknownFunction : public std::runtime_error {
 public:
  explicit UnknownFunction(const std::string& name)
      : std::runtime_error("unknown function " + name) {}
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_CALC_ERROR_H_
