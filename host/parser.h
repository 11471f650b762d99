// Turns a calculation's text into its tree, with FileMaker's precedence:
// not and unary minus bind tightest, then * /, + -, &, comparisons, and, or.
#ifndef ZYLO_HOST_PARSER_H_
#define ZYLO_HOST_PARSER_H_

#include <string_view>

#include "host/ast.h"

namespace zylo::host {

// Throws SyntaxError. Names are not resolved here: the evaluator checks them.
ExprPtr parse(std::u16string_view source);

}  // namespace zylo::host

#endif  // ZYLO_HOST_PARSER_H_
