#include "host/value_conversion.h"

#include "host/temporal.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
// Spelled out for compilers that do not deduce aggregates' arguments.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::u16string textOf(const Value& v) {
  return std::visit(
      Overloaded{
          [](std::monostate) { return std::u16string(); },
          [](const std::u16string& s) { return s; },
          [](const Number& n) { return foundation::fromUtf8(n.toString()); },
          [](const Date& d) { return foundation::fromUtf8(usDateText(d)); },
          [](const Time& t) { return foundation::fromUtf8(timeText(t, 1)); },
          [](const Timestamp& ts) {
            return foundation::fromUtf8(usDateText(ts.date) + " " + timeText(ts.time, 1));
          },
      },
      v.content);
}

std::optional<Number> numberOf(const Value& v) {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::optional<Number> { return std::nullopt; },
                        [](const std::u16string& s) { return Number::fromText(s); },
                        [](const Number& n) -> std::optional<Number> { return n; },
                        [](const Date& d) -> std::optional<Number> {
                          return Number::fromInt(dayNumber(d));
                        },
                        [](const Time& t) -> std::optional<Number> { return secondsOf(t); },
                        [](const Timestamp& ts) -> std::optional<Number> {
                          return secondsOf(ts);
                        },
                    },
                    v.content);
}

Number numberOrZero(const Value& v) { return numberOf(v).value_or(Number{}); }

bool isTrue(const Value& v) { return numberOrZero(v).mantissa != 0; }

std::optional<Date> dateOf(const Value& v) {
  if (const auto* d = std::get_if<Date>(&v.content)) return *d;
  if (const auto* ts = std::get_if<Timestamp>(&v.content)) return ts->date;
  if (const auto* s = std::get_if<std::u16string>(&v.content)) {
    if (std::optional<Date> d = parseDate(*s)) return d;
    if (std::optional<Timestamp> ts = parseTimestamp(*s)) return ts->date;
    return std::nullopt;
  }
  std::optional<Number> n = numberOf(v);
  return n ? dateFromDayNumber(n->truncated()) : std::nullopt;
}

std::optional<Time> timeOf(const Value& v) {
  if (const auto* t = std::get_if<Time>(&v.content)) return *t;
  if (const auto* ts = std::get_if<Timestamp>(&v.content)) return ts->time;
  if (const auto* s = std::get_if<std::u16string>(&v.content)) {
    if (std::optional<Time> t = parseTime(*s)) return t;
    if (std::optional<Timestamp> ts = parseTimestamp(*s)) return ts->time;
    return std::nullopt;
  }
  std::optional<Number> n = numberOf(v);
  return n ? std::optional<Time>(timeFromSeconds(*n)) : std::nullopt;
}

std::optional<Timestamp> timestampOf(const Value& v) {
  if (const auto* ts = std::get_if<Timestamp>(&v.content)) return *ts;
  if (const auto* d = std::get_if<Date>(&v.content)) return Timestamp{*d, {}};
  if (const auto* s = std::get_if<std::u16string>(&v.content)) return parseTimestamp(*s);
  std::optional<Number> n = numberOf(v);
  return n ? timestampFromSeconds(*n) : std::nullopt;
}

Value invalidResult() { return {u"?"}; }

Value booleanResult(bool b) { return {Number::fromInt(b ? 1 : 0)}; }

}  // namespace zylo::host
