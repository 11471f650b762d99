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

Evaluator::Evaluator(Environment environment) : environment_(std::move(environment)) {
  if (!environment_.script) environment_.script = std::make_shared<ScriptState>();
}

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
  Bound bound;
  checkIn(e, bound);
}

static bool isBound(const std::vector<std::u16string>& bound, const std::u16string& name) {
  for (const auto& b : bound) {
    if (foundation::equalsIgnoringCase(b, name)) return true;
  }
  return false;
}

void Evaluator::checkIn(const Expr& e, Bound& bound) const {
  if (const auto* name = std::get_if<Name>(&e.node)) {
    if (!isBound(bound, name->name)) checkCall(name->name, 0, e.column);
  } else if (const auto* call = std::get_if<Call>(&e.node)) {
    checkCall(call->name, call->args.size(), e.column);
    const Builtin* builtin = findBuiltin(call->name);
    if (builtin && builtin->checkArguments) {
      builtin->checkArguments(*call);
      return;
    }
    for (const ExprPtr& arg : call->args) {
      const auto* pair = std::get_if<Brackets>(&arg->node);
      if (pair && builtin && builtin->takesPairs) {
        if (pair->items.size() != 2) throw SyntaxError(arg->column, "a pair holds two values");
        for (const ExprPtr& item : pair->items) checkIn(*item, bound);
      } else {
        checkIn(*arg, bound);
      }
    }
  } else if (const auto* unary = std::get_if<Unary>(&e.node)) {
    checkIn(*unary->operand, bound);
  } else if (const auto* binary = std::get_if<Binary>(&e.node)) {
    checkIn(*binary->left, bound);
    checkIn(*binary->right, bound);
  } else if (const auto* let = std::get_if<Let>(&e.node)) {
    const size_t outer = bound.size();
    for (const Binding& b : let->bindings) {
      checkIn(*b.value, bound);
      if (!b.name.starts_with(u'$')) bound.push_back(b.name);
    }
    checkIn(*let->body, bound);
    bound.resize(outer);
  } else if (std::holds_alternative<Brackets>(e.node)) {
    throw SyntaxError(e.column, "brackets belong in Let or in Substitute's pairs");
  }
}

Value Evaluator::evaluate(const Expr& calculation) {
  check(calculation);
  return evaluatePart(calculation);
}

Value Evaluator::evaluatePart(const Expr& e) {
  if (const auto* literal = std::get_if<Literal>(&e.node)) return literal->value;
  if (const auto* name = std::get_if<Name>(&e.node)) {
    if (const Value* bound = boundValue(name->name)) return *bound;
    return callNamed(Call{name->name, {}});
  }
  if (const auto* variable = std::get_if<Variable>(&e.node)) return script().variable(variable->name);
  if (const auto* let = std::get_if<Let>(&e.node)) return this->let(*let);
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

const Value* Evaluator::boundValue(const std::u16string& name) const {
  for (auto it = letValues_.rbegin(); it != letValues_.rend(); ++it) {
    if (foundation::equalsIgnoringCase(it->first, name)) return &it->second;
  }
  return nullptr;
}

Value Evaluator::let(const Let& let) {
  const size_t outer = letValues_.size();
  for (const Binding& b : let.bindings) {
    Value v = evaluatePart(*b.value);
    if (b.name.starts_with(u'$')) {
      script().setVariable(b.name, std::move(v));
    } else {
      letValues_.emplace_back(b.name, std::move(v));
    }
  }
  Value result = evaluatePart(*let.body);
  letValues_.erase(letValues_.begin() + static_cast<std::ptrdiff_t>(outer), letValues_.end());
  return result;
}

Value Evaluator::callNamed(const Call& call) {
  if (const Builtin* builtin = findBuiltin(call.name)) return builtin->apply(*this, call);
  const fmxhost::Function* function = fmxhost::findFunction(call.name);
  if (!function) throw UnknownFunction(foundation::toUtf8(call.name));
  std::vector<Value> params;
  for (const ExprPtr& arg : call.args) params.push_back(evaluatePart(*arg));
  fmxhost::CallOutcome outcome = fmxhost::callFunction(*function, params, environment_.sessionId);
  if (outcome.hostError == kFMX_NoError) return outcome.result;
  if (environment_.hostErrorReported)
    environment_.hostErrorReported(function->name, outcome.hostError);
  return invalidResult();
}

}  // namespace zylo::host
