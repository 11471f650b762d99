#include "host/temporal.h"

#include <chrono>

#include "host/number_arithmetic.h"

namespace zylo::host {
namespace {

namespace chr = std::chrono;

constexpr int kFirstYear = 1, kLastYear = 4000;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kMicrosPerSecond = 1000000;

chr::sys_days firstDay() { return chr::sys_days{chr::year{1} / 1 / 1}; }

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Whole microseconds, toward minus infinity.
int64_t microsOf(Number seconds) {
  Number micros = multiply(seconds, Number::fromInt(kMicrosPerSecond));
  int64_t whole = micros.truncated();
  if (compare(Number::fromInt(whole), micros) > 0) --whole;
  return whole;
}

// Reads the text left to right; every reader answers whether it matched.
class Scanner {
 public:
  explicit Scanner(std::u16string_view text) : text_(text) {}

  std::optional<int> digits(int atMost) {
    int value = 0, count = 0;
    while (count < atMost && pos_ < text_.size() && text_[pos_] >= u'0' && text_[pos_] <= u'9') {
      value = value * 10 + (text_[pos_++] - u'0');
      ++count;
    }
    if (count == 0) return std::nullopt;
    return value;
  }
  bool literal(char16_t c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool space() {
    size_t start = pos_;
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t')) ++pos_;
    return pos_ > start;
  }
  // The meridiem letters, either case: 'a', 'p' or nothing.
  char16_t meridiem() {
    if (pos_ + 1 >= text_.size() || (text_[pos_ + 1] | 0x20) != u'm') return 0;
    char16_t c = text_[pos_] | 0x20;
    if (c != u'a' && c != u'p') return 0;
    pos_ += 2;
    return c;
  }
  char16_t peek() const { return pos_ < text_.size() ? text_[pos_] : u'\0'; }
  bool atEnd() const { return pos_ == text_.size(); }

 private:
  std::u16string_view text_;
  size_t pos_ = 0;
};

std::optional<Date> validDate(int year, int month, int day) {
  chr::year_month_day ymd{chr::year{year}, chr::month(unsigned(month)), chr::day(unsigned(day))};
  if (!ymd.ok() || year < kFirstYear || year > kLastYear) return std::nullopt;
  return Date{year, month, day};
}

std::optional<Date> scanDate(Scanner& in) {
  std::optional<int> first = in.digits(4);
  if (!first) return std::nullopt;
  if (in.literal(u'-')) {
    std::optional<int> month = in.digits(2);
    if (!month || !in.literal(u'-')) return std::nullopt;
    std::optional<int> day = in.digits(2);
    return day ? validDate(*first, *month, *day) : std::nullopt;
  }
  if (!in.literal(u'/')) return std::nullopt;
  std::optional<int> day = in.digits(2);
  if (!day || !in.literal(u'/')) return std::nullopt;
  std::optional<int> year = in.digits(4);
  return year ? validDate(*year, *first, *day) : std::nullopt;
}

std::optional<Time> scanTime(Scanner& in) {
  std::optional<int> hour = in.digits(2);
  if (!hour || !in.literal(u':')) return std::nullopt;
  std::optional<int> minute = in.digits(2);
  if (!minute || *minute > 59) return std::nullopt;
  Time time{*hour, *minute, 0, 0};
  if (in.literal(u':')) {
    std::optional<int> second = in.digits(2);
    if (!second || *second > 59) return std::nullopt;
    time.second = *second;
    if (in.literal(u'.')) {
      int scale = kMicrosPerSecond;
      for (char16_t c = in.peek(); c >= u'0' && c <= u'9'; c = in.peek()) {
        scale /= 10;
        time.microsecond += *in.digits(1) * scale;
      }
    }
  }
  in.space();
  if (char16_t m = in.meridiem()) {
    if (time.hour < 1 || time.hour > 12) return std::nullopt;
    time.hour = time.hour % 12 + (m == u'p' ? 12 : 0);
  }
  if (time.hour > 23) return std::nullopt;
  return time;
}

std::string padded(int64_t value, int width) {
  std::string digits = std::to_string(value);
  return std::string(digits.size() < size_t(width) ? width - digits.size() : 0, '0') + digits;
}

}  // namespace

int64_t dayNumber(const Date& date) {
  chr::sys_days d{chr::year{date.year} / chr::month(unsigned(date.month)) /
                  chr::day(unsigned(date.day))};
  return (d - firstDay()).count() + 1;
}

std::optional<Date> dateFromDayNumber(int64_t day) {
  if (day < 1 || day > 366 * kLastYear) return std::nullopt;
  chr::year_month_day ymd{firstDay() + chr::days{day - 1}};
  int year = int(ymd.year());
  if (year > kLastYear) return std::nullopt;
  return Date{year, int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

std::optional<Date> normalizedDate(int64_t month, int64_t day, int64_t year) {
  // Beyond these the result is out of range anyway; they keep the sums small.
  constexpr int64_t kBound = 100000000;
  if (month < -kBound || month > kBound || day < -kBound || day > kBound || year < -kBound ||
      year > kBound)
    return std::nullopt;
  year += floorDiv(month - 1, 12);
  month = month - 1 - floorDiv(month - 1, 12) * 12 + 1;
  if (year < kFirstYear - 1 || year > kLastYear + 1) return std::nullopt;
  chr::sys_days first{chr::year{int(year)} / chr::month(unsigned(month)) / 1};
  return dateFromDayNumber((first - firstDay()).count() + day);
}

Number secondsOf(const Time& time) {
  int64_t seconds = time.hour * 3600 + time.minute * 60 + time.second;
  return add(Number::fromInt(seconds), Number{time.microsecond, 6});
}

Number secondsOf(const Timestamp& timestamp) {
  Number days = Number::fromInt((dayNumber(timestamp.date) - 1) * kSecondsPerDay);
  return add(days, secondsOf(timestamp.time));
}

Time timeFromSeconds(Number seconds) {
  int64_t micros = microsOf(seconds);
  int64_t whole = floorDiv(micros, kMicrosPerSecond);
  int64_t hour = floorDiv(whole, 3600);
  int64_t rest = whole - hour * 3600;
  return {hour, int(rest / 60), int(rest % 60), int(micros - whole * kMicrosPerSecond)};
}

std::optional<Timestamp> timestampFromSeconds(Number seconds) {
  Time time = timeFromSeconds(seconds);
  std::optional<Date> date = dateFromDayNumber(floorDiv(time.hour, 24) + 1);
  if (!date) return std::nullopt;
  time.hour -= floorDiv(time.hour, 24) * 24;
  return Timestamp{*date, time};
}

std::optional<Date> parseDate(std::u16string_view text) {
  Scanner in(text);
  std::optional<Date> date = scanDate(in);
  return in.atEnd() ? date : std::nullopt;
}

std::optional<Time> parseTime(std::u16string_view text) {
  Scanner in(text);
  std::optional<Time> time = scanTime(in);
  return in.atEnd() ? time : std::nullopt;
}

std::optional<Timestamp> parseTimestamp(std::u16string_view text) {
  Scanner in(text);
  std::optional<Date> date = scanDate(in);
  if (!date) return std::nullopt;
  if (in.atEnd()) return Timestamp{*date, {}};
  if (!in.space() && !in.literal(u'T')) return std::nullopt;
  std::optional<Time> time = scanTime(in);
  if (!time || !in.atEnd()) return std::nullopt;
  return Timestamp{*date, *time};
}

std::string isoDateText(const Date& date) {
  return padded(date.year, 4) + "-" + padded(date.month, 2) + "-" + padded(date.day, 2);
}

std::string usDateText(const Date& date) {
  return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
         std::to_string(date.year);
}

std::string timeText(const Time& time, int hourDigits) {
  int64_t micros = microsOf(secondsOf(time));
  std::string sign = micros < 0 ? "-" : "";
  if (micros < 0) micros = -micros;
  int64_t seconds = micros / kMicrosPerSecond;
  std::string text = sign + padded(seconds / 3600, hourDigits) + ":" +
                     padded(seconds / 60 % 60, 2) + ":" + padded(seconds % 60, 2);
  if (int64_t fraction = micros % kMicrosPerSecond) {
    std::string digits = padded(fraction, 6);
    text += "." + digits.substr(0, digits.find_last_not_of('0') + 1);
  }
  return text;
}

}  // namespace zylo::host
