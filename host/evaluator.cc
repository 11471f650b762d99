#include "host/evaluator.h"

#include "host/builtins.h"
#include "host/calc_error.h"
#include "host/operators.h"
#include "host/value_conversion.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

std::string countText(int minArgs, int maxArgs) {
  if (maxArgs < 0) return "at least " + std::to_string(minArgs);
  if (minArgs == maxArgs) return std::to_string(minArgs);
  return std::to_string(minArgs) + " to " + std::to_string(maxArgs);
}

void checkCount(const std::u16string& name, size_t count, int minArgs, int maxArgs, int column) {
  if (count >= size_t(minArgs) && (maxArgs < 0 || count <= size_t(maxArgs))) return;
  throw SyntaxError(column, foundation::toUtf8(name) + " takes " + countText(minArgs, maxArgs) +
                                " parameters, not " + std::to_string(count));
}

}  // namespace

void Evaluator::checkCall(const std::u16string& name, size_t argCount, int column) const {
  if (const Builtin* builtin = findBuiltin(name)) {
    checkCount(name, argCount, builtin->minArgs, builtin->maxArgs, column);
  } else if (const fmxhost::Function* function = fmxhost::findFunction(name)) {
    checkCount(name, argCount, function->minArgs, function->maxArgs, column);
  } else {
    throw UnknownFunction(foundation::toUtf8(name));
  }
}

void Evaluator::check(const Expr& e) const {
  if (const auto* name = std::get_if<Name>(&e.node)) {
    checkCall(name->name, 0, e.column);
  } else if (const auto* call = std::get_if<Call>(&e.node)) {
    checkCall(call->name, call->args.size(), e.column);
    const Builtin* builtin = findBuiltin(call->name);
    if (builtin && builtin->checkArguments) {
      builtin->checkArguments(*call);
    } else {
      for (const ExprPtr& arg : call->args) check(*arg);
    }
  } else if (const auto* unary = std::get_if<Unary>(&e.node)) {
    check(*unary->operand);
  } else if (const auto* binary = std::get_if<Binary>(&e.node)) {
    check(*binary->left);
    check(*binary->right);
  }
}

Value Evaluator::evaluate(const Expr& calculation) {
  check(calculation);
  return evaluatePart(calculation);
}

Value Evaluator::evaluatePart(const Expr& e) {
  if (const auto* literal = std::get_if<Literal>(&e.node)) return literal->value;
  if (const auto* name = std::get_if<Name>(&e.node)) return callNamed(Call{name->name, {}});
  if (const auto* call = std::get_if<Call>(&e.node)) return callNamed(*call);
  if (const auto* unary = std::get_if<Unary>(&e.node))
    return applyUnary(unary->op, evaluatePart(*unary->operand));
  const Binary& binary = std::get<Binary>(e.node);
  Value left = evaluatePart(*binary.left);
  // and/or stop as soon as the left side decides, as FileMaker's do.
  if (binary.op == BinaryOp::kAnd && !isTrue(left)) return booleanResult(false);
  if (binary.op == BinaryOp::kOr && isTrue(left)) return booleanResult(true);
  return applyBinary(binary.op, left, evaluatePart(*binary.right));
}

Value Evaluator::callNamed(const Call& call) {
  if (const Builtin* builtin = findBuiltin(call.name)) return builtin->apply(*this, call);
  const fmxhost::Function* function = fmxhost::findFunction(call.name);
  if (!function) throw UnknownFunction(foundation::toUtf8(call.name));
  std::vector<Value> params;
  for (const ExprPtr& arg : call.args) params.push_back(evaluatePart(*arg));
  fmxhost::CallOutcome outcome = fmxhost::callFunction(*function, params);
  if (outcome.hostError == kFMX_NoError) return outcome.result;
  if (environment_.hostErrorReported)
    environment_.hostErrorReported(function->name, outcome.hostError);
  return invalidResult();
}

}  // namespace zylo::host
