#include "platform/foundation/posix_tz_rule.h"

#include <cctype>

#include "platform/foundation/civil_days.h"

namespace foundation {
namespace {

constexpr int64_t kDay = 86400;

// Reads from the front of `text` as it goes.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool done() const { return text_.empty(); }
  bool take(char c) {
    if (text_.empty() || text_.front() != c) return false;
    text_.remove_prefix(1);
    return true;
  }
  // A zone abbreviation: three or more letters, or anything in <...>.
  bool name() {
    if (take('<')) {
      const size_t close = text_.find('>');
      if (close == std::string_view::npos) return false;
      text_.remove_prefix(close + 1);
      return true;
    }
    size_t n = 0;
    while (n < text_.size() && std::isalpha(static_cast<unsigned char>(text_[n]))) ++n;
    text_.remove_prefix(n);
    return n >= 3;
  }
  std::optional<int64_t> number() {
    size_t n = 0;
    int64_t value = 0;
    while (n < text_.size() && n < 4 && std::isdigit(static_cast<unsigned char>(text_[n]))) {
      value = value * 10 + (text_[n++] - '0');
    }
    if (n == 0) return std::nullopt;
    text_.remove_prefix(n);
    return value;
  }
  // [+-]hh[:mm[:ss]] in seconds.
  std::optional<int64_t> duration() {
    const int sign = take('-') ? -1 : (take('+'), 1);
    auto hours = number();
    if (!hours) return std::nullopt;
    int64_t seconds = *hours * 3600;
    for (int64_t unit : {60, 1}) {
      if (!take(':')) break;
      auto part = number();
      if (!part) return std::nullopt;
      seconds += *part * unit;
    }
    return sign * seconds;
  }
  bool atRuleEnd() const { return text_.empty() || text_.front() == ','; }

 private:
  std::string_view text_;
};

}  // namespace

std::optional<PosixTzRule> PosixTzRule::parse(std::string_view text) {
  Reader r(text);
  PosixTzRule rule;
  if (!r.name()) return std::nullopt;
  auto west = r.duration();
  if (!west) return std::nullopt;
  rule.standard_ = static_cast<int>(-*west);
  if (r.done()) return rule;
  if (!r.name()) return std::nullopt;
  rule.daylight_ = rule.standard_ + 3600;
  if (!r.atRuleEnd()) {
    auto daylightWest = r.duration();
    if (!daylightWest) return std::nullopt;
    rule.daylight_ = static_cast<int>(-*daylightWest);
  }
  if (r.done()) {
    // The rule a zone file leaves out: the United States' since 2007.
    rule.start_ = {Change::kMonthWeekDay, 0, 2, 3, 7200};
    rule.end_ = {Change::kMonthWeekDay, 0, 1, 11, 7200};
    return rule;
  }
  for (Change* change : {&rule.start_, &rule.end_}) {
    if (!r.take(',')) return std::nullopt;
    if (r.take('M')) {
      // Mm.w.d: weekday d of week w (5: the last) of month m.
      int64_t parts[3] = {0, 0, 0};
      for (int i = 0; i < 3; ++i) {
        auto n = (i == 0 || r.take('.')) ? r.number() : std::nullopt;
        if (!n) return std::nullopt;
        parts[i] = *n;
      }
      const auto [month, week, weekday] = parts;
      if (month < 1 || month > 12 || week < 1 || week > 5 || weekday > 6) return std::nullopt;
      *change = {Change::kMonthWeekDay, static_cast<int>(weekday), static_cast<int>(week),
                 static_cast<int>(month), 7200};
    } else {
      const bool julian = r.take('J');
      auto day = r.number();
      if (!day || *day > 365 || (julian && *day < 1)) return std::nullopt;
      *change = {julian ? Change::kJulianNoLeap : Change::kDayOfYear, static_cast<int>(*day), 0, 0, 7200};
    }
    if (r.take('/')) {
      auto time = r.duration();
      if (!time) return std::nullopt;
      change->time = *time;
    }
  }
  if (!r.done()) return std::nullopt;
  return rule;
}

int64_t PosixTzRule::dayOf(const Change& c, int64_t year) {
  const int64_t newYear = daysFromCivil(year, 1, 1);
  switch (c.kind) {
    case Change::kJulianNoLeap:
      return newYear + c.day - 1 + (isLeapYear(year) && c.day >= 60 ? 1 : 0);
    case Change::kDayOfYear:
      return newYear + c.day;
    case Change::kMonthWeekDay: {
      const int64_t first = daysFromCivil(year, c.month, 1);
      const int64_t firstWeekday = ((first + 4) % 7 + 7) % 7;  // 1970-01-01 was a Thursday
      int64_t day = first + (c.day - firstWeekday + 7) % 7 + (c.week - 1) * 7;
      while (day >= first + daysInMonth(year, c.month)) day -= 7;  // week 5: the last
      return day;
    }
  }
  return newYear;
}

int PosixTzRule::offsetAt(int64_t unixSeconds) const {
  if (!daylight_) return standard_;
  const int64_t localDays = (unixSeconds + standard_ - ((unixSeconds + standard_) % kDay + kDay) % kDay) / kDay;
  const int64_t year = civilFromDays(localDays).year;
  // Daylight-saving time starts at a standard local time and ends at a
  // daylight-saving one.
  const int64_t start = dayOf(start_, year) * kDay + start_.time - standard_;
  const int64_t end = dayOf(end_, year) * kDay + end_.time - *daylight_;
  const bool daylight = start < end ? (unixSeconds >= start && unixSeconds < end)
                                    : !(unixSeconds >= end && unixSeconds < start);
  return daylight ? *daylight_ : standard_;
}

}  // namespace foundation
