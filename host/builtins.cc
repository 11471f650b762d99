#include "host/builtins.h"

#include <array>

#include "host/calc_error.h"
#include "host/evaluator.h"
#include "host/number_arithmetic.h"
#include "host/temporal.h"
#include "host/value_conversion.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

constexpr char16_t kReturn = u'\r';

Value arg(Evaluator& ev, const Call& call, size_t i) { return ev.evaluatePart(*call.args[i]); }
Number numberArg(Evaluator& ev, const Call& call, size_t i) {
  return numberOrZero(arg(ev, call, i));
}
std::u16string textArg(Evaluator& ev, const Call& call, size_t i) {
  return textOf(arg(ev, call, i));
}

template <class T>
Value orInvalid(const std::optional<T>& v) {
  return v ? Value{*v} : invalidResult();
}

Value date(Evaluator& ev, const Call& call) {
  return orInvalid(normalizedDate(numberArg(ev, call, 0).truncated(),
                                  numberArg(ev, call, 1).truncated(),
                                  numberArg(ev, call, 2).truncated()));
}

Value time(Evaluator& ev, const Call& call) {
  Number seconds = add(multiply(numberArg(ev, call, 0), Number::fromInt(3600)),
                       add(multiply(numberArg(ev, call, 1), Number::fromInt(60)),
                           numberArg(ev, call, 2)));
  return {timeFromSeconds(seconds)};
}

Value timestamp(Evaluator& ev, const Call& call) {
  std::optional<Date> day = dateOf(arg(ev, call, 0));
  std::optional<Time> clock = timeOf(arg(ev, call, 1));
  if (!day || !clock) return invalidResult();
  // A time past midnight carries into the following days.
  return orInvalid(timestampFromSeconds(add(secondsOf(Timestamp{*day, {}}), secondsOf(*clock))));
}

Value getAsText(Evaluator& ev, const Call& call) { return {textArg(ev, call, 0)}; }

Value getAsNumber(Evaluator& ev, const Call& call) {
  std::optional<Number> n = numberOf(arg(ev, call, 0));
  return n ? Value{*n} : Value{u""};
}

Value getAsDate(Evaluator& ev, const Call& call) { return orInvalid(dateOf(arg(ev, call, 0))); }
Value getAsTime(Evaluator& ev, const Call& call) { return orInvalid(timeOf(arg(ev, call, 0))); }
Value getAsTimestamp(Evaluator& ev, const Call& call) {
  return orInvalid(timestampOf(arg(ev, call, 0)));
}

// A code point as text; nothing for a number that names none.
Value character(Evaluator& ev, const Call& call) {
  int64_t code = numberArg(ev, call, 0).truncated();
  if (code <= 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {u""};
  if (code < 0x10000) return {std::u16string(1, char16_t(code))};
  code -= 0x10000;
  return {std::u16string{char16_t(0xD800 + (code >> 10)), char16_t(0xDC00 + (code & 0x3FF))}};
}

// Counts characters, not UTF-16 units.
Value length(Evaluator& ev, const Call& call) {
  int64_t count = 0;
  for (char16_t c : textArg(ev, call, 0))
    if (c < 0xDC00 || c > 0xDFFF) ++count;
  return {Number::fromInt(count)};
}

Value upper(Evaluator& ev, const Call& call) {
  return {foundation::uppercased(textArg(ev, call, 0))};
}
Value lower(Evaluator& ev, const Call& call) {
  return {foundation::lowercased(textArg(ev, call, 0))};
}

Value ifFunction(Evaluator& ev, const Call& call) {
  return arg(ev, call, isTrue(arg(ev, call, 0)) ? 1 : 2);
}

// Tests in order; the first true one answers its result. A last odd
// argument is the default, else the result is empty text.
Value caseFunction(Evaluator& ev, const Call& call) {
  size_t i = 0;
  for (; i + 1 < call.args.size(); i += 2)
    if (isTrue(arg(ev, call, i))) return arg(ev, call, i + 1);
  return i < call.args.size() ? arg(ev, call, i) : Value{u""};
}

// The values of a return-separated list; a final return ends the last
// value rather than starting an empty one.
std::vector<std::u16string> values(const std::u16string& list) {
  if (list.empty()) return {};
  std::vector<std::u16string> pieces = foundation::split(list, kReturn);
  if (list.back() == kReturn) pieces.pop_back();
  return pieces;
}

Value getValue(Evaluator& ev, const Call& call) {
  std::vector<std::u16string> list = values(textArg(ev, call, 0));
  int64_t n = numberArg(ev, call, 1).truncated();
  if (n < 1 || n > int64_t(list.size())) return {u""};
  return {list[size_t(n - 1)]};
}

Value valueCount(Evaluator& ev, const Call& call) {
  return {Number::fromInt(int64_t(values(textArg(ev, call, 0)).size()))};
}

constexpr std::u16string_view kCurrentTimestamp = u"CurrentTimestamp";

void checkGetSelector(const Call& call) {
  const auto* selector = std::get_if<Name>(&call.args[0]->node);
  if (!selector || !foundation::equalsIgnoringCase(selector->name, kCurrentTimestamp))
    throw SyntaxError(call.args[0]->column, "Get knows only CurrentTimestamp");
}

// Wall-clock time in the environment's zone, to the second.
Value get(Evaluator& ev, const Call&) {
  const Environment& env = ev.environment();
  foundation::LocalDateTime now = foundation::splitGregorian(env.clock->now(), *env.zone);
  return {Timestamp{{now.year, now.month, now.day}, {now.hour, now.minute, now.second, 0}}};
}

const auto kBuiltins = std::to_array<Builtin>({
    {u"Date", 3, 3, date},
    {u"Time", 3, 3, time},
    {u"Timestamp", 2, 2, timestamp},
    {u"GetAsText", 1, 1, getAsText},
    {u"GetAsNumber", 1, 1, getAsNumber},
    {u"GetAsDate", 1, 1, getAsDate},
    {u"GetAsTime", 1, 1, getAsTime},
    {u"GetAsTimestamp", 1, 1, getAsTimestamp},
    {u"Char", 1, 1, character},
    {u"Length", 1, 1, length},
    {u"Upper", 1, 1, upper},
    {u"Lower", 1, 1, lower},
    {u"If", 3, 3, ifFunction},
    {u"Case", 2, -1, caseFunction},
    {u"GetValue", 2, 2, getValue},
    {u"ValueCount", 1, 1, valueCount},
    {u"Get", 1, 1, get, checkGetSelector},
});

}  // namespace

const Builtin* findBuiltin(std::u16string_view name) {
  for (const Builtin& builtin : kBuiltins)
    if (foundation::equalsIgnoringCase(builtin.name, name)) return &builtin;
  return nullptr;
}

}  // namespace zylo::host
