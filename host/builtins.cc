#include "host/builtins.h"

#include <algorithm>
#include <array>
#include <optional>

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

// What Get ( ... ) can report.
enum class Selector { kCurrentTimestamp, kCurrentDate, kCurrentTime, kScriptParameter, kScriptResult, kFileName, kScriptName };

std::optional<Selector> selectorOf(const Expr& e) {
  const auto* name = std::get_if<Name>(&e.node);
  if (!name) return std::nullopt;
  constexpr std::pair<std::u16string_view, Selector> kSelectors[] = {
      {u"CurrentTimestamp", Selector::kCurrentTimestamp}, {u"CurrentDate", Selector::kCurrentDate},
      {u"CurrentTime", Selector::kCurrentTime},           {u"ScriptParameter", Selector::kScriptParameter},
      {u"ScriptResult", Selector::kScriptResult},         {u"FileName", Selector::kFileName},
      {u"ScriptName", Selector::kScriptName}};
  for (const auto& [text, selector] : kSelectors) {
    if (foundation::equalsIgnoringCase(name->name, text)) return selector;
  }
  return std::nullopt;
}

void checkGetSelector(const Call& call) {
  if (!selectorOf(*call.args[0])) {
    throw SyntaxError(call.args[0]->column,
                      "Get knows CurrentTimestamp, CurrentDate, CurrentTime, ScriptParameter, ScriptResult, FileName "
                      "and ScriptName");
  }
}

// Wall-clock time in the environment's zone, to the second.
Timestamp currentTimestamp(Evaluator& ev) {
  const Environment& env = ev.environment();
  foundation::LocalDateTime now = foundation::splitGregorian(env.clock->now(), *env.zone);
  return {{now.year, now.month, now.day}, {now.hour, now.minute, now.second, 0}};
}

Value get(Evaluator& ev, const Call& call) {
  switch (*selectorOf(*call.args[0])) {
    case Selector::kCurrentTimestamp: return {currentTimestamp(ev)};
    case Selector::kCurrentDate: return {currentTimestamp(ev).date};
    case Selector::kCurrentTime: return {currentTimestamp(ev).time};
    case Selector::kScriptParameter: return ev.script().current().parameter;
    case Selector::kScriptResult: return ev.script().scriptResult;
    case Selector::kFileName: return {ev.script().current().fileName};
    case Selector::kScriptName: return {ev.script().current().scriptName};
  }
  return {u""};
}

// The non-empty values, one per line.
Value list(Evaluator& ev, const Call& call) {
  std::u16string out;
  for (size_t i = 0; i < call.args.size(); ++i) {
    const std::u16string value = textArg(ev, call, i);
    if (value.empty()) continue;
    if (!out.empty()) out += kReturn;
    out += value;
  }
  return {out};
}

// A count of characters from an argument, at least 0.
size_t countArg(Evaluator& ev, const Call& call, size_t i) {
  return size_t(std::max<int64_t>(0, numberArg(ev, call, i).truncated()));
}

Value left(Evaluator& ev, const Call& call) {
  const std::u16string text = textArg(ev, call, 0);
  return {text.substr(0, countArg(ev, call, 1))};
}

Value right(Evaluator& ev, const Call& call) {
  const std::u16string text = textArg(ev, call, 0);
  const size_t n = std::min(countArg(ev, call, 1), text.size());
  return {text.substr(text.size() - n)};
}

// Middle ( text ; start ; count ), the start counted from 1.
Value middle(Evaluator& ev, const Call& call) {
  const std::u16string text = textArg(ev, call, 0);
  const int64_t start = std::max<int64_t>(1, numberArg(ev, call, 1).truncated());
  if (size_t(start) > text.size()) return {u""};
  return {text.substr(size_t(start - 1), countArg(ev, call, 2))};
}

// Where `search` occurs in `text`, ignoring letter case: the occurrence-th
// one from `start` on (backwards for a negative occurrence); 0 when none.
Value position(Evaluator& ev, const Call& call) {
  const std::u16string text = foundation::lowercased(textArg(ev, call, 0));
  const std::u16string search = foundation::lowercased(textArg(ev, call, 1));
  const int64_t start = numberArg(ev, call, 2).truncated();
  int64_t occurrence = numberArg(ev, call, 3).truncated();
  if (search.empty() || occurrence == 0 || start < 1 || size_t(start) > text.size()) {
    return {Number::fromInt(0)};
  }
  size_t at = size_t(start - 1);
  for (;;) {
    at = occurrence > 0 ? text.find(search, at) : text.rfind(search, at);
    if (at == std::u16string::npos) return {Number::fromInt(0)};
    if (occurrence > 0 ? --occurrence == 0 : ++occurrence == 0) return {Number::fromInt(int64_t(at) + 1)};
    if (occurrence > 0) {
      ++at;
    } else if (at-- == 0) {
      return {Number::fromInt(0)};
    }
  }
}

std::u16string replacedAll(std::u16string text, const std::u16string& search, const std::u16string& by) {
  if (search.empty()) return text;
  for (size_t at = text.find(search); at != std::u16string::npos; at = text.find(search, at + by.size())) {
    text.replace(at, search.size(), by);
  }
  return text;
}

// Substitute ( text ; search ; replacement ), or with [ search ; replacement ]
// pairs applied in turn; letter case counts.
Value substitute(Evaluator& ev, const Call& call) {
  std::u16string text = textArg(ev, call, 0);
  if (call.args.size() == 3 && !std::holds_alternative<Brackets>(call.args[1]->node)) {
    return {replacedAll(text, textArg(ev, call, 1), textArg(ev, call, 2))};
  }
  for (size_t i = 1; i < call.args.size(); ++i) {
    const auto* pair = std::get_if<Brackets>(&call.args[i]->node);
    if (!pair) return invalidResult();
    text = replacedAll(text, textOf(ev.evaluatePart(*pair->items[0])), textOf(ev.evaluatePart(*pair->items[1])));
  }
  return {text};
}

// How often `search` occurs, overlaps counted, ignoring letter case.
Value patternCount(Evaluator& ev, const Call& call) {
  const std::u16string text = foundation::lowercased(textArg(ev, call, 0));
  const std::u16string search = foundation::lowercased(textArg(ev, call, 1));
  int64_t count = 0;
  if (!search.empty()) {
    for (size_t at = text.find(search); at != std::u16string::npos; at = text.find(search, at + 1)) ++count;
  }
  return {Number::fromInt(count)};
}

Value isEmpty(Evaluator& ev, const Call& call) { return booleanResult(textArg(ev, call, 0).empty()); }

Value absolute(Evaluator& ev, const Call& call) {
  Number n = numberArg(ev, call, 0);
  return {n.mantissa < 0 ? negate(n) : n};
}

Value integer(Evaluator& ev, const Call& call) {
  return {Number::fromInt(numberArg(ev, call, 0).truncated())};
}

// Round ( number ; places ), half away from zero; negative places round to
// tens, hundreds and so on.
Value round(Evaluator& ev, const Call& call) {
  return {roundedTo(numberArg(ev, call, 0), numberArg(ev, call, 1).truncated())};
}

// Mod ( number ; divisor ): the remainder takes the divisor's sign, so
// Mod ( -1 ; 7 ) is 6; a zero divisor has no answer.
Value modulo(Evaluator& ev, const Call& call) {
  const Number n = numberArg(ev, call, 0);
  const Number divisor = numberArg(ev, call, 1);
  std::optional<Number> quotient = divide(n, divisor);
  if (!quotient) return invalidResult();
  Number floor = Number::fromInt(quotient->truncated());
  if (compare(floor, *quotient) > 0) floor = subtract(floor, Number::fromInt(1));
  return {subtract(n, multiply(divisor, floor))};
}

// A part of a date, time or timestamp, read as `read` reads its argument;
// empty text for anything else.
template <class T, std::optional<T> (*read)(const Value&), int64_t (*part)(const T&)>
Value partOf(Evaluator& ev, const Call& call) {
  std::optional<T> value = read(arg(ev, call, 0));
  return value ? Value{Number::fromInt(part(*value))} : Value{u""};
}
int64_t yearOf(const Date& d) { return d.year; }
int64_t monthOf(const Date& d) { return d.month; }
int64_t dayOf(const Date& d) { return d.day; }
// 1 for Sunday to 7 for Saturday; day 1 (1 January of year 1) was a Monday.
int64_t weekdayOf(const Date& d) { return dayNumber(d) % 7 + 1; }
int64_t hourOf(const Time& t) { return t.hour; }
int64_t minuteOf(const Time& t) { return t.minute; }
int64_t secondOf(const Time& t) { return t.second; }

Value dayName(Evaluator& ev, const Call& call) {
  static constexpr std::u16string_view kNames[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                   u"Thursday", u"Friday", u"Saturday"};
  std::optional<Date> day = dateOf(arg(ev, call, 0));
  return day ? Value{std::u16string(kNames[weekdayOf(*day) - 1])} : Value{u""};
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
    {u"List", 1, -1, list},
    {u"Left", 2, 2, left},
    {u"Right", 2, 2, right},
    {u"Middle", 3, 3, middle},
    {u"Position", 4, 4, position},
    {u"Substitute", 2, -1, substitute, nullptr, true},
    {u"PatternCount", 2, 2, patternCount},
    {u"IsEmpty", 1, 1, isEmpty},
    {u"Abs", 1, 1, absolute},
    {u"Int", 1, 1, integer},
    {u"Round", 2, 2, round},
    {u"Mod", 2, 2, modulo},
    {u"Year", 1, 1, partOf<Date, dateOf, yearOf>},
    {u"Month", 1, 1, partOf<Date, dateOf, monthOf>},
    {u"Day", 1, 1, partOf<Date, dateOf, dayOf>},
    {u"DayOfWeek", 1, 1, partOf<Date, dateOf, weekdayOf>},
    {u"DayName", 1, 1, dayName},
    {u"Hour", 1, 1, partOf<Time, timeOf, hourOf>},
    {u"Minute", 1, 1, partOf<Time, timeOf, minuteOf>},
    {u"Seconds", 1, 1, partOf<Time, timeOf, secondOf>},
});

}  // namespace

const Builtin* findBuiltin(std::u16string_view name) {
  for (const Builtin& builtin : kBuiltins)
    if (foundation::equalsIgnoringCase(builtin.name, name)) return &builtin;
  return nullptr;
}

}  // namespace zylo::host
