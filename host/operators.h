// The operators of the calculation language on computed values. The
// evaluator short-circuits and/or and comes here only with both sides.
#ifndef ZYLO_HOST_OPERATORS_H_
#define ZYLO_HOST_OPERATORS_H_

#include "host/ast.h"

namespace zylo::host {

// Arithmetic follows the values' types: a timestamp plus a number adds
// seconds, a date plus a number days, a timestamp minus a timestamp answers
// seconds; otherwise both sides are read as numbers. Texts compare as text,
// ignoring case; everything else compares by number.
fmxhost::Value applyBinary(BinaryOp op, const fmxhost::Value& left, const fmxhost::Value& right);
fmxhost::Value applyUnary(UnaryOp op, const fmxhost::Value& operand);

}  // namespace zylo::host

#endif  // ZYLO_HOST_OPERATORS_H_
