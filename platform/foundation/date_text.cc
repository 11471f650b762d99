#include "platform/foundation/date_text.h"

#include <cstdio>
#include <cstdlib>

#include "platform/foundation/civil_days.h"

namespace foundation {
namespace {

// Reads the date text's parts left to right; every read fails past the end.
class Reader {
 public:
  explicit Reader(std::u16string_view text) : text_(text) {}

  // Exactly `count` digits, or with count 0 one to nine.
  bool number(int count, int64_t& value) {
    const size_t start = at_;
    value = 0;
    const size_t limit = count == 0 ? 9 : count;
    while (at_ < text_.size() && at_ - start < limit && isDigit(text_[at_])) {
      value = value * 10 + (text_[at_++] - u'0');
    }
    const size_t read = at_ - start;
    return count == 0 ? read > 0 && (at_ == text_.size() || !isDigit(text_[at_])) : read == limit;
  }
  bool literal(char16_t c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool spaces() {
    const size_t start = at_;
    while (at_ < text_.size() && (text_[at_] == u' ' || text_[at_] == u'\t')) ++at_;
    return at_ > start;
  }
  // The offset's sign: +1, -1, or 0 when there is none.
  int sign() { return literal(u'+') ? 1 : literal(u'-') ? -1 : 0; }
  bool atEnd() const { return at_ == text_.size(); }

 private:
  static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
  std::u16string_view text_;
  size_t at_ = 0;
};

struct DateTextParts {
  int64_t year, month, day, hour, minute, second;
  int sign;
  int64_t offset;  // HHMM as written
};

std::optional<DateTextParts> readParts(std::u16string_view text) {
  Reader r(text);
  DateTextParts p{};
  const bool read = r.number(0, p.year) && r.literal(u'-') && r.number(2, p.month) &&
                    r.literal(u'-') && r.number(2, p.day) && r.spaces() && r.number(2, p.hour) &&
                    r.literal(u':') && r.number(2, p.minute) && r.literal(u':') &&
                    r.number(2, p.second) && r.spaces() && (p.sign = r.sign()) != 0 &&
                    r.number(4, p.offset) && r.atEnd();
  if (!read) return std::nullopt;
  return p;
}

bool inRange(const DateTextParts& p) {
  return p.month >= 1 && p.month <= 12 && p.day >= 1 &&
         p.day <= daysInMonth(p.year, static_cast<int>(p.month)) && p.hour <= 23 &&
         p.minute <= 59 && p.second <= 59 && p.offset / 100 <= 23 && p.offset % 100 <= 59;
}

}  // namespace

String dateText(const LocalDateTime& f, int secondsFromGMT) {
  const int magnitude = std::abs(secondsFromGMT);
  char text[96];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d %s%02d%02d", f.year, f.month,
                f.day, f.hour, f.minute, f.second, secondsFromGMT > 0 ? "+" : "-",
                magnitude / 3600, magnitude % 3600 / 60);
  return fromUtf8(text);
}

// The text cannot carry an offset's odd seconds (local mean times before
// standard time), so the fields are taken at the offset as written: the
// text then names exactly `date` again.
String describeDate(Date date, const TimeZone& zone) {
  const int offset = zone.secondsFromGMT(date) / 60 * 60;
  return dateText(localFields(date.time_since_epoch().count() + offset), offset);
}

std::optional<Date> dateWithString(std::u16string_view text) {
  const auto p = readParts(text);
  if (!p || !inRange(*p)) return std::nullopt;
  const int64_t offset = p->sign * (p->offset / 100 * 3600 + p->offset % 100 * 60);
  const int64_t local = daysFromCivil(p->year, static_cast<int>(p->month),
                                      static_cast<int>(p->day)) * 86400 +
                        p->hour * 3600 + p->minute * 60 + p->second;
  return Date{std::chrono::seconds{local - offset}};
}

}  // namespace foundation
