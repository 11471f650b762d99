// How the host converts one value into another: every value has a text, a
// number and, where it names a moment, a timestamp.
#include <cstdio>

#include "platform/fmx/host/handles.h"
#include "platform/foundation/civil_days.h"
#include "platform/foundation/string.h"

namespace fmxhost {
namespace {

// The host counts dates from 0001-01-01, which is day 1.
const int64_t kDayOne = foundation::daysFromCivil(1, 1, 1);

int64_t dayNumber(const Date& d) { return foundation::daysFromCivil(d.year, d.month, d.day) - kDayOne + 1; }

int64_t secondsOf(const Time& t) { return (t.hour * 60 + t.minute) * 60 + t.second; }

std::optional<Timestamp> timestampFromSeconds(int64_t seconds) {
  if (seconds < 0) return std::nullopt;
  const foundation::CivilDay civil = foundation::civilFromDays(kDayOne + seconds / 86400);
  if (civil.year > 4000) return std::nullopt;
  const int64_t ofDay = seconds % 86400;
  return Timestamp{{static_cast<int>(civil.year), civil.month, civil.day},
                   {ofDay / 3600, static_cast<int>(ofDay / 60 % 60), static_cast<int>(ofDay % 60), 0}};
}

std::u16string formatted(const char* format, auto... fields) {
  char text[64];
  std::snprintf(text, sizeof text, format, fields...);
  return foundation::fromUtf8(text);
}

std::u16string dateText(const Date& d) { return formatted("%d/%d/%d", d.month, d.day, d.year); }
std::u16string timeText(const Time& t) {
  return formatted("%lld:%02d:%02d", static_cast<long long>(t.hour), t.minute, t.second);
}

// Reads the numbers and separators of a date or time text in turn.
class FieldReader {
 public:
  explicit FieldReader(std::u16string_view text) : text_(text) {}
  std::optional<int> number(size_t maxDigits) {
    size_t digits = 0;
    int value = 0;
    while (at_ < text_.size() && digits < maxDigits && text_[at_] >= u'0' && text_[at_] <= u'9') {
      value = value * 10 + (text_[at_++] - u'0');
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
  }
  bool skip(char16_t c) {
    if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
    return false;
  }
  bool spaces() {
    const size_t start = at_;
    while (at_ < text_.size() && text_[at_] == u' ') ++at_;
    return at_ > start;
  }
  bool atEnd() const { return at_ == text_.size(); }

 private:
  std::u16string_view text_;
  size_t at_ = 0;
};

bool validDate(int year, int month, int day) {
  return year >= 1 && year <= 4000 && month >= 1 && month <= 12 && day >= 1 &&
         day <= foundation::daysInMonth(year, month);
}

// "YYYY-MM-DD" or "M/D/YYYY", then optionally " H:MM" or " H:MM:SS".
std::optional<Timestamp> parseTimestamp(std::u16string_view text) {
  FieldReader r(text);
  r.spaces();
  const auto first = r.number(4);
  if (!first) return std::nullopt;
  std::optional<int> year, month, day;
  if (r.skip(u'-')) {
    year = first, month = r.number(2);
    if (!r.skip(u'-')) return std::nullopt;
    day = r.number(2);
  } else if (r.skip(u'/')) {
    month = first, day = r.number(2);
    if (!r.skip(u'/')) return std::nullopt;
    year = r.number(4);
  }
  if (!year || !month || !day || !validDate(*year, *month, *day)) return std::nullopt;
  Timestamp ts{{*year, *month, *day}, {}};
  if (r.spaces() && !r.atEnd()) {
    const auto hour = r.number(2);
    std::optional<int> minute, second = 0;
    if (!hour || !r.skip(u':') || !(minute = r.number(2))) return std::nullopt;
    if (r.skip(u':')) second = r.number(2);
    if (!second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
    ts.time = {*hour, *minute, *second, 0};
    r.spaces();
  }
  if (!r.atEnd()) return std::nullopt;
  return ts;
}

}  // namespace

int32_t Value::nativeType() const {
  constexpr int32_t kTypes[] = {kFMX_TypeInvalid, kFMX_TypeText, kFMX_TypeNumber,
                                kFMX_TypeDate,    kFMX_TypeTime, kFMX_TypeTimeStamp};
  return kTypes[content.index()];
}

std::u16string Value::asText() const {
  struct Visitor {
    std::u16string operator()(std::monostate) const { return {}; }
    std::u16string operator()(const std::u16string& t) const { return t; }
    std::u16string operator()(const Number& n) const { return foundation::fromUtf8(n.toString()); }
    std::u16string operator()(const Date& d) const { return dateText(d); }
    std::u16string operator()(const Time& t) const { return timeText(t); }
    std::u16string operator()(const Timestamp& ts) const {
      return dateText(ts.date) + u" " + timeText(ts.time);
    }
  };
  return std::visit(Visitor{}, content);
}

Number Value::asNumber() const {
  struct Visitor {
    Number operator()(std::monostate) const { return {}; }
    Number operator()(const std::u16string& t) const { return Number::fromText(t).value_or(Number{}); }
    Number operator()(const Number& n) const { return n; }
    Number operator()(const Date& d) const { return Number::fromInt(dayNumber(d)); }
    Number operator()(const Time& t) const { return Number::fromInt(secondsOf(t)); }
    Number operator()(const Timestamp& ts) const {
      return Number::fromInt((dayNumber(ts.date) - 1) * 86400 + secondsOf(ts.time));
    }
  };
  return std::visit(Visitor{}, content);
}

std::optional<Timestamp> Value::asTimestamp() const {
  struct Visitor {
    std::optional<Timestamp> operator()(std::monostate) const { return std::nullopt; }
    std::optional<Timestamp> operator()(const std::u16string& t) const { return parseTimestamp(t); }
    std::optional<Timestamp> operator()(const Number& n) const {
      return timestampFromSeconds(n.truncated());
    }
    std::optional<Timestamp> operator()(const Date& d) const { return Timestamp{d, {}}; }
    std::optional<Timestamp> operator()(const Time& t) const {
      return timestampFromSeconds(secondsOf(t));
    }
    std::optional<Timestamp> operator()(const Timestamp& ts) const { return ts; }
  };
  return std::visit(Visitor{}, content);
}

Value valueOf(const FM_Data* data) { return data ? data->value : Value{}; }

std::u16string textOf(const FM_Text* text) { return text ? text->units : std::u16string(); }

}  // namespace fmxhost
