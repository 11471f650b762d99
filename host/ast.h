// The tree a calculation is parsed into. Every node keeps the column it
// starts at, so that later checks can point at the offending part.
#ifndef ZYLO_HOST_AST_H_
#define ZYLO_HOST_AST_H_

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

struct Expr;
using ExprPtr = std::unique_ptr<const Expr>;

struct Literal {
  fmxhost::Value value;
};

// A name written without parentheses: a function called with no parameters,
// or the selector a built-in such as Get reads.
struct Name {
  std::u16string name;
};

// $name (one script run) or $$name (the whole run).
struct Variable {
  std::u16string name;
};

struct Call {
  std::u16string name;
  std::vector<ExprPtr> args;
};

enum class UnaryOp { kNegate, kNot };

struct Unary {
  UnaryOp op;
  ExprPtr operand;
};

enum class BinaryOp {
  kAdd,
  kSubtract,
  kMultiply,
  kDivide,
  kConcatenate,
  kEqual,
  kNotEqual,
  kLess,
  kGreater,
  kLessEqual,
  kGreaterEqual,
  kAnd,
  kOr,
};

struct Binary {
  BinaryOp op;
  ExprPtr left, right;
};

// Let ( [ a = 1 ; $b = 2 ] ; body ): plain names hold for the body only,
// $variables are set for the script as well.
struct Binding {
  std::u16string name;
  ExprPtr value;
};
struct Let {
  std::vector<Binding> bindings;
  ExprPtr body;
};

// [ a ; b ]: a pair of Substitute's.
struct Brackets {
  std::vector<ExprPtr> items;
};

struct Expr {
  std::variant<Literal, Name, Variable, Call, Unary, Binary, Let, Brackets> node;
  int column = 1;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_AST_H_
