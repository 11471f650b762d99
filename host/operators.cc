#include "host/operators.h"

#include "host/number_arithmetic.h"
#include "host/temporal.h"
#include "host/value_conversion.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

bool isTextual(const Value& v) {
  return std::holds_alternative<std::u16string>(v.content) ||
         std::holds_alternative<std::monostate>(v.content);
}
bool isTimestamp(const Value& v) { return std::holds_alternative<Timestamp>(v.content); }
bool isTemporal(const Value& v) {
  return std::holds_alternative<Date>(v.content) || std::holds_alternative<Time>(v.content) ||
         isTimestamp(v);
}

// Moves a date by days, a time or timestamp by seconds.
Value shifted(const Value& v, Number amount) {
  if (const auto* d = std::get_if<Date>(&v.content)) {
    std::optional<Date> moved = dateFromDayNumber(dayNumber(*d) + amount.truncated());
    return moved ? Value{*moved} : invalidResult();
  }
  if (const auto* t = std::get_if<Time>(&v.content))
    return {timeFromSeconds(add(secondsOf(*t), amount))};
  std::optional<Timestamp> moved =
      timestampFromSeconds(add(secondsOf(std::get<Timestamp>(v.content)), amount));
  return moved ? Value{*moved} : invalidResult();
}

Value sum(const Value& a, const Value& b) {
  if (isTemporal(a)) return shifted(a, numberOrZero(b));
  if (isTemporal(b)) return shifted(b, numberOrZero(a));
  return {add(numberOrZero(a), numberOrZero(b))};
}

Value difference(const Value& a, const Value& b) {
  if (isTemporal(a) && isTemporal(b)) {
    // A date against a timestamp counts as its midnight.
    if (isTimestamp(a) || isTimestamp(b)) {
      std::optional<Timestamp> x = timestampOf(a), y = timestampOf(b);
      if (x && y) return {subtract(secondsOf(*x), secondsOf(*y))};
    }
    return {subtract(numberOrZero(a), numberOrZero(b))};
  }
  if (isTemporal(a)) return shifted(a, negate(numberOrZero(b)));
  return {subtract(numberOrZero(a), numberOrZero(b))};
}

// A text that holds no number is compared as text even against a number,
// so that "!!ERROR!!" never equals 0.
bool comparesAsText(const Value& a, const Value& b) {
  if (isTextual(a) && isTextual(b)) return true;
  return (isTextual(a) && !numberOf(a)) || (isTextual(b) && !numberOf(b));
}

std::strong_ordering order(const Value& a, const Value& b) {
  if (comparesAsText(a, b))
    return foundation::lowercased(textOf(a)) <=> foundation::lowercased(textOf(b));
  if (isTimestamp(a) != isTimestamp(b) && isTemporal(a) && isTemporal(b)) {
    std::optional<Timestamp> x = timestampOf(a), y = timestampOf(b);
    if (x && y) return compare(secondsOf(*x), secondsOf(*y));
  }
  return compare(numberOrZero(a), numberOrZero(b));
}

}  // namespace

Value applyBinary(BinaryOp op, const Value& left, const Value& right) {
  switch (op) {
    case BinaryOp::kAdd: return sum(left, right);
    case BinaryOp::kSubtract: return difference(left, right);
    case BinaryOp::kMultiply: return {multiply(numberOrZero(left), numberOrZero(right))};
    case BinaryOp::kDivide: {
      std::optional<Number> q = divide(numberOrZero(left), numberOrZero(right));
      return q ? Value{*q} : invalidResult();
    }
    case BinaryOp::kConcatenate: return {textOf(left) + textOf(right)};
    case BinaryOp::kEqual: return booleanResult(order(left, right) == 0);
    case BinaryOp::kNotEqual: return booleanResult(order(left, right) != 0);
    case BinaryOp::kLess: return booleanResult(order(left, right) < 0);
    case BinaryOp::kGreater: return booleanResult(order(left, right) > 0);
    case BinaryOp::kLessEqual: return booleanResult(order(left, right) <= 0);
    case BinaryOp::kGreaterEqual: return booleanResult(order(left, right) >= 0);
    case BinaryOp::kAnd: return booleanResult(isTrue(left) && isTrue(right));
    case BinaryOp::kOr: return booleanResult(isTrue(left) || isTrue(right));
  }
  return {};
}

Value applyUnary(UnaryOp op, const Value& operand) {
  if (op == UnaryOp::kNot) return booleanResult(!isTrue(operand));
  return {negate(numberOrZero(operand))};
}

}  // namespace zylo::host
