#include "platform/calendarstore/zone_observances.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::LocalDateTime;

constexpr int64_t kDay = 86400;
// Changes are looked for at this step, then pinned to the second.
constexpr int64_t kStep = 2 * kDay;
// Rules are read off this many years past the last year zone files list
// changes for (2037) or past the first year asked for, whichever is later;
// a rule holds for this many years at least.
constexpr int kRuleYears = 12;
constexpr int kRuleHolds = 4;
// A zone whose changes follow no yearly rule (Morocco's, by Ramadan) is
// listed change by change, this many years further at a time, for a
// century at most.
constexpr int kListedYears = 25;

struct Change {
  int64_t at;  // seconds since 1970 UTC
  int from, to;
};

int64_t unixOf(foundation::Date d) { return d.time_since_epoch().count(); }

int offsetAt(const foundation::TimeZone& zone, int64_t at) {
  return zone.secondsFromGMT(foundation::Date{std::chrono::seconds{at}});
}

std::vector<Change> changesBetween(const foundation::TimeZone& zone, int64_t from, int64_t to) {
  std::vector<Change> changes;
  int before = offsetAt(zone, from);
  for (int64_t t = from + kStep; t <= to; t += kStep) {
    const int now = offsetAt(zone, t);
    if (now == before) continue;
    int64_t lo = t - kStep, hi = t;
    while (hi - lo > 1) {
      const int64_t mid = lo + (hi - lo) / 2;
      (offsetAt(zone, mid) == before ? lo : hi) = mid;
    }
    changes.push_back({hi, before, now});
    before = now;
  }
  return changes;
}

// Daylight time: an offset above the lowest of the year from `at` on (a
// zone that moves its standard offset keeps it all year).
bool isDaylight(const foundation::TimeZone& zone, int64_t at, int offset) {
  int lowest = offset;
  for (int64_t t = at; t < at + 366 * kDay; t += 15 * kDay) lowest = std::min(lowest, offsetAt(zone, t));
  return offset > lowest;
}

// A yearly change: in `month`, on the `weekday` (0 Sunday) falling on one
// of the seven days from `firstDay` (negative: counted from the month's
// end, -7 being the last seven days), at `second` of the day in the
// offset before it.
struct YearlyRule {
  int month, weekday, firstDay;
  int64_t second;
  int from, to;

  int64_t dayIn(int64_t year) const {
    const int length = foundation::daysInMonth(year, month);
    const int first = firstDay > 0 ? firstDay : length + firstDay + 1;
    const int64_t start = foundation::daysFromCivil(year, month, first);
    return start + ((weekday - (start + 4) % 7) % 7 + 7) % 7;
  }
  int64_t onsetIn(int64_t year) const { return dayIn(year) * kDay + second - from; }
};

int64_t yearOf(int64_t at) { return foundation::civilFromDays(at >= 0 ? at / kDay : (at - kDay + 1) / kDay).year; }

bool listed(const std::vector<Change>& changes, const YearlyRule& r, int64_t at) {
  for (const Change& c : changes) {
    if (c.at == at) return c.from == r.from && c.to == r.to;
  }
  return false;
}

// The first year from which `rule` names every change through `lastYear`.
int64_t firstYearOf(const YearlyRule& rule, const std::vector<Change>& changes, int64_t lastYear) {
  int64_t year = lastYear;
  while (year > yearOf(changes.front().at) && listed(changes, rule, rule.onsetIn(year - 1))) --year;
  return year;
}

// The rule that names `c` and the same change in every later year through
// `lastYear` since the earliest year, among the forms other programs read:
// the nth or last weekday, else a weekday within seven given days.
std::optional<std::pair<YearlyRule, int64_t>> ruleOf(const Change& c, const std::vector<Change>& changes,
                                                     int64_t lastYear) {
  const LocalDateTime l = foundation::localFields(c.at + c.from);
  const int64_t day = foundation::daysFromCivil(l.year, l.month, l.day);
  const int weekday = static_cast<int>(((day + 4) % 7 + 7) % 7);
  const int length = foundation::daysInMonth(l.year, l.month);
  std::vector<int> firstDays;
  if (l.day <= 28) firstDays.push_back((l.day - 1) / 7 * 7 + 1);
  if (l.day > length - 7) firstDays.push_back(-7);
  for (int first = std::max(1, l.day - 6); first <= l.day && first + 6 <= length; ++first) firstDays.push_back(first);
  std::optional<std::pair<YearlyRule, int64_t>> best;
  for (int first : firstDays) {
    const YearlyRule rule{l.month, weekday, first, c.at + c.from - day * kDay, c.from, c.to};
    bool holds = true;
    for (int64_t y = l.year; y <= lastYear && holds; ++y) holds = listed(changes, rule, rule.onsetIn(y));
    if (!holds) continue;
    const int64_t since = firstYearOf(rule, changes, l.year);
    if (since > lastYear - kRuleHolds) continue;
    if (!best || since < best->second) best = {{rule, since}};
  }
  return best;
}

std::string offsetText(int seconds) {
  char text[16];
  const int a = std::abs(seconds);
  if (a % 60 != 0) {
    std::snprintf(text, sizeof text, "%c%02d%02d%02d", seconds < 0 ? '-' : '+', a / 3600, a / 60 % 60, a % 60);
  } else {
    std::snprintf(text, sizeof text, "%c%02d%02d", seconds < 0 ? '-' : '+', a / 3600, a / 60 % 60);
  }
  return text;
}

std::string localText(int64_t localSeconds) {
  const LocalDateTime l = foundation::localFields(localSeconds);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", l.year, l.month, l.day, l.hour, l.minute, l.second);
  return text;
}

void appendBlock(std::string& out, bool daylight, int64_t onset, int from, int to, const std::string& rule) {
  const char* kind = daylight ? "DAYLIGHT" : "STANDARD";
  out += std::string("BEGIN:") + kind + "\r\nDTSTART:" + localText(onset + from) + "\r\n";
  if (!rule.empty()) out += "RRULE:" + rule + "\r\n";
  out += "TZOFFSETFROM:" + offsetText(from) + "\r\nTZOFFSETTO:" + offsetText(to) + "\r\n";
  out += std::string("END:") + kind + "\r\n";
}

std::string ruleText(const YearlyRule& r) {
  constexpr const char* kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  std::string text = "FREQ=YEARLY;BYMONTH=" + std::to_string(r.month) + ";BYDAY=";
  if (r.firstDay == -7) return text + "-1" + kDays[r.weekday];
  if ((r.firstDay - 1) % 7 == 0) return text + std::to_string((r.firstDay - 1) / 7 + 1) + kDays[r.weekday];
  text += std::string(kDays[r.weekday]) + ";BYMONTHDAY=";
  for (int d = r.firstDay; d < r.firstDay + 7; ++d) text += std::to_string(d) + (d + 1 < r.firstDay + 7 ? "," : "");
  return text;
}

}  // namespace

std::string vtimezoneText(const std::string& tzid, const foundation::TimeZone& zone, foundation::Date from) {
  // From the midnight before the day before `from`, in the offset then.
  int64_t start = unixOf(from) - kDay;
  const int first = offsetAt(zone, start);
  start = ((start + first) / kDay - ((start + first) % kDay < 0 ? 1 : 0)) * kDay - first;
  // The yearly rules in force at the end of the span: the changes of its
  // last year that recur. The span grows while that year has others.
  int64_t lastYear = std::max<int64_t>(yearOf(start), 2037) + kRuleYears;
  std::vector<Change> changes;
  std::vector<std::pair<YearlyRule, int64_t>> rules;
  for (;;) {
    changes = changesBetween(zone, start, foundation::daysFromCivil(lastYear + 1, 1, 1) * kDay);
    rules.clear();
    bool unruled = false;
    for (const Change& c : changes) {
      if (yearOf(c.at + c.from) != lastYear) continue;
      auto rule = ruleOf(c, changes, lastYear);
      if (rule) rules.push_back(*rule);
      unruled = unruled || !rule;
    }
    if (!unruled || lastYear >= yearOf(start) + 100) break;
    lastYear += kListedYears;
  }

  std::string out = "BEGIN:VTIMEZONE\r\nTZID:" + tzid + "\r\n";
  appendBlock(out, isDaylight(zone, start, first), start, first, first, "");
  auto named = [&](const Change& c) {
    for (const auto& [rule, since] : rules) {
      const int64_t year = yearOf(c.at + c.from);
      if (year >= since && rule.onsetIn(year) == c.at && rule.from == c.from && rule.to == c.to) return true;
    }
    return false;
  };
  for (const Change& c : changes) {
    if (!named(c)) appendBlock(out, isDaylight(zone, c.at, c.to), c.at, c.from, c.to, "");
  }
  for (const auto& [rule, since] : rules) {
    const int64_t onset = rule.onsetIn(since);
    appendBlock(out, isDaylight(zone, onset, rule.to), onset, rule.from, rule.to, ruleText(rule));
  }
  return out + "END:VTIMEZONE\r\n";
}

}  // namespace calendarstore
