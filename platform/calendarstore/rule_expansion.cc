#include "platform/calendarstore/rule_expansion.h"

#include <libical/ical.h>

#include <algorithm>
#include <bit>

#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/rule_conversion.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;
using Frequency = RuleExpansion::Frequency;

constexpr int64_t kDay = 86400;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
int64_t floorMod(int64_t a, int64_t b) { return a - floorDiv(a, b) * b; }

// 0 for Monday; 1970-01-01 was a Thursday.
int weekdayOf(int64_t day) { return static_cast<int>(floorMod(day + 3, 7)); }

// The unit of a rule shorter than a day, in seconds.
int64_t unitOf(Frequency f) {
  return f == Frequency::kHourly ? 3600 : f == Frequency::kMinutely ? 60 : 1;
}

std::optional<Frequency> frequencyOf(icalrecurrencetype_frequency f) {
  switch (f) {
    case ICAL_SECONDLY_RECURRENCE: return Frequency::kSecondly;
    case ICAL_MINUTELY_RECURRENCE: return Frequency::kMinutely;
    case ICAL_HOURLY_RECURRENCE: return Frequency::kHourly;
    case ICAL_DAILY_RECURRENCE: return Frequency::kDaily;
    case ICAL_WEEKLY_RECURRENCE: return Frequency::kWeekly;
    case ICAL_MONTHLY_RECURRENCE: return Frequency::kMonthly;
    case ICAL_YEARLY_RECURRENCE: return Frequency::kYearly;
    default: return std::nullopt;
  }
}

// The values of one of libical's BY arrays within [low, high], sorted and
// each once; 0 only where it is a valid value (an hour, not a month day).
// A part none of whose values can occur (BYYEARDAY=400, BYSECOND=60) sets
// `matchesNothing`.
std::vector<int> valuesOf(const short* values, int size, int low, int high, bool& matchesNothing) {
  std::vector<int> out;
  int given = 0;
  for (int i = 0; i < size && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i, ++given) {
    if ((values[i] != 0 || low == 0) && values[i] >= low && values[i] <= high) out.push_back(values[i]);
  }
  if (given > 0 && out.empty()) matchesNothing = true;
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::vector<int> everyValue(int n) {
  std::vector<int> out(n);
  for (int i = 0; i < n; ++i) out[i] = i;
  return out;
}

bool holds(const std::vector<int>& sorted, int value) {
  return std::binary_search(sorted.begin(), sorted.end(), value);
}

// The day a year's week 1 begins: the first week with four of its days in
// the year.
int64_t weekOneOf(int64_t year, int weekStart) {
  const int64_t jan1 = foundation::daysFromCivil(year, 1, 1);
  const int offset = static_cast<int>(floorMod(weekdayOf(jan1) - weekStart, 7));
  return offset <= 3 ? jan1 - offset : jan1 + 7 - offset;
}

// The positions BYSETPOS picks from a set of `size`, ascending and each once.
std::vector<int64_t> pickedPositions(const std::vector<int>& positions, int64_t size) {
  std::vector<int64_t> out;
  for (int p : positions) {
    const int64_t index = p > 0 ? p - 1 : size + p;
    if (index >= 0 && index < size) out.push_back(index);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// The times of day (seconds) of a product of sorted lists, ascending.
std::vector<int32_t> productTimes(const std::vector<int>& hours, const std::vector<int>& minutes,
                                  const std::vector<int>& seconds) {
  std::vector<int32_t> out;
  for (int h : hours) {
    for (int m : minutes) {
      for (int s : seconds) out.push_back(h * 3600 + m * 60 + s);
    }
  }
  return out;
}

}  // namespace

std::optional<RuleExpansion> RuleExpansion::read(const std::string& rrule, const StoredTime& start) {
  const icalrecurrencetype r = icalrecurrencetype_from_string(rrule.c_str());
  const auto freq = frequencyOf(r.freq);
  if (!freq || r.interval < 1) return std::nullopt;
  RuleExpansion e(start);
  e.freq_ = *freq;
  e.interval_ = r.interval;
  e.count_ = std::max(0, r.count);
  if (!icaltime_is_null_time(r.until)) e.until_ = untilInstant(r.until, start, true);
  if (r.week_start != ICAL_NO_WEEKDAY) e.weekStart_ = (static_cast<int>(r.week_start) + 5) % 7;
  bool matchesNothing = false;
  for (int m : valuesOf(r.by_month, ICAL_BY_MONTH_SIZE, 1, 12, matchesNothing)) e.months_ |= uint16_t(1u << m);
  e.monthDays_ = valuesOf(r.by_month_day, ICAL_BY_MONTHDAY_SIZE, -31, 31, matchesNothing);
  e.yearDays_ = valuesOf(r.by_year_day, ICAL_BY_YEARDAY_SIZE, -366, 366, matchesNothing);
  e.weekNumbers_ = valuesOf(r.by_week_no, ICAL_BY_WEEKNO_SIZE, -53, 53, matchesNothing);
  e.setPositions_ = valuesOf(r.by_set_pos, ICAL_BY_SETPOS_SIZE, -366, 366, matchesNothing);
  for (int i = 0; i < ICAL_BY_DAY_SIZE && r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    const int day = icalrecurrencetype_day_day_of_week(r.by_day[i]);
    if (day == ICAL_NO_WEEKDAY) continue;
    e.weekdays_.push_back({icalrecurrencetype_day_position(r.by_day[i]), (day + 5) % 7});
  }
  // Parts RFC 5545 does not allow together: the rule yields nothing.
  const bool monthlyOrYearly = e.freq_ == Frequency::kMonthly || e.freq_ == Frequency::kYearly;
  for (const Weekday& w : e.weekdays_) {
    if (w.ordinal != 0 && (!monthlyOrYearly || w.ordinal < -53 || w.ordinal > 53)) return std::nullopt;
  }
  if (!e.monthDays_.empty() && e.freq_ == Frequency::kWeekly) return std::nullopt;
  if (!e.yearDays_.empty() && e.freq_ >= Frequency::kDaily && e.freq_ <= Frequency::kMonthly) {
    return std::nullopt;
  }
  if (!e.weekNumbers_.empty() && e.freq_ != Frequency::kYearly) return std::nullopt;
  const bool sub = e.freq_ <= Frequency::kHourly;
  auto timeList = [&](const short* values, int size, int high, bool every, int own) {
    if (start.isDate) return std::vector<int>{0};
    std::vector<int> given = valuesOf(values, size, 0, high, matchesNothing);
    if (!given.empty()) return given;
    return every ? everyValue(high + 1) : std::vector<int>{own};
  };
  e.hours_ = timeList(r.by_hour, ICAL_BY_HOUR_SIZE, 23, sub, start.local.hour);
  e.minutes_ = timeList(r.by_minute, ICAL_BY_MINUTE_SIZE, 59, e.freq_ <= Frequency::kMinutely,
                        start.local.minute);
  e.seconds_ = timeList(r.by_second, ICAL_BY_SECOND_SIZE, 59, e.freq_ == Frequency::kSecondly,
                        start.local.second);
  if (matchesNothing) return std::nullopt;
  e.fillDefaults();
  return e;
}

// What the rule leaves out is the start's: its month and day of a yearly
// rule, its day of a monthly one, its weekday of a weekly one.
void RuleExpansion::fillDefaults() {
  startWall_ = foundation::wallSeconds(start_.local);
  startDay_ = floorDiv(startWall_, kDay);
  startCivil_ = foundation::civilFromDays(startDay_);
  if (weekNumbers_.empty() && yearDays_.empty() && monthDays_.empty() && weekdays_.empty()) {
    if (freq_ == Frequency::kYearly) {
      if (months_ == 0) months_ = uint16_t(1u << start_.local.month);
      monthDays_ = {start_.local.day};
    } else if (freq_ == Frequency::kMonthly) {
      monthDays_ = {start_.local.day};
    } else if (freq_ == Frequency::kWeekly) {
      weekdays_ = {{0, weekdayOf(startDay_)}};
    }
  }
  if (freq_ >= Frequency::kDaily) dayTimes_ = productTimes(hours_, minutes_, seconds_);
  limitsDays_ = months_ != 0 || !monthDays_.empty() || !yearDays_.empty() || !weekNumbers_.empty() ||
                !weekdays_.empty();
}

bool RuleExpansion::weekNumberMatches(int64_t day, int64_t year) const {
  int64_t owner = year;
  if (day < weekOneOf(year, weekStart_)) {
    owner = year - 1;
  } else if (day >= weekOneOf(year + 1, weekStart_)) {
    owner = year + 1;
  }
  const int64_t first = weekOneOf(owner, weekStart_);
  const int64_t weeks = (weekOneOf(owner + 1, weekStart_) - first) / 7;
  const int64_t number = (day - first) / 7 + 1;
  return std::any_of(weekNumbers_.begin(), weekNumbers_.end(),
                     [&](int n) { return n > 0 ? n == number : weeks + n + 1 == number; });
}

bool RuleExpansion::dayMatches(int64_t day) const {
  const foundation::CivilDay c = foundation::civilFromDays(day);
  if (months_ != 0 && !(months_ >> c.month & 1)) return false;
  const int monthLength = foundation::daysInMonth(c.year, c.month);
  if (!monthDays_.empty() &&
      std::none_of(monthDays_.begin(), monthDays_.end(),
                   [&](int d) { return d > 0 ? d == c.day : monthLength + d + 1 == c.day; })) {
    return false;
  }
  const int64_t dayOfYear = day - foundation::daysFromCivil(c.year, 1, 1);
  const int yearLength = foundation::isLeapYear(c.year) ? 366 : 365;
  if (!yearDays_.empty() &&
      std::none_of(yearDays_.begin(), yearDays_.end(),
                   [&](int d) { return d > 0 ? d - 1 == dayOfYear : yearLength + d == dayOfYear; })) {
    return false;
  }
  if (!weekNumbers_.empty() && !weekNumberMatches(day, c.year)) return false;
  if (weekdays_.empty()) return true;
  // A numbered weekday counts within the month of a monthly rule or of a
  // yearly one with months, else within the year.
  const bool inMonth = freq_ == Frequency::kMonthly || (freq_ == Frequency::kYearly && months_ != 0);
  const int weekday = weekdayOf(day);
  const int64_t fromFirst = inMonth ? (c.day - 1) / 7 + 1 : dayOfYear / 7 + 1;
  const int64_t fromLast = inMonth ? (monthLength - c.day) / 7 + 1 : (yearLength - 1 - dayOfYear) / 7 + 1;
  return std::any_of(weekdays_.begin(), weekdays_.end(), [&](const Weekday& w) {
    if (w.day != weekday) return false;
    return w.ordinal == 0 || (w.ordinal > 0 ? w.ordinal == fromFirst : -w.ordinal == fromLast);
  });
}

RuleExpansion::Block RuleExpansion::blockAt(int64_t k) const {
  const foundation::CivilDay& s = startCivil_;
  switch (freq_) {
    case Frequency::kYearly: {
      const int64_t year = s.year + k * interval_;
      return {foundation::daysFromCivil(year, 1, 1), foundation::daysFromCivil(year + 1, 1, 1)};
    }
    case Frequency::kMonthly: {
      const int64_t index = s.year * 12 + s.month - 1 + k * interval_;
      const int64_t year = floorDiv(index, 12);
      const int month = static_cast<int>(index - year * 12 + 1);
      const int64_t first = foundation::daysFromCivil(year, month, 1);
      return {first, first + foundation::daysInMonth(year, month)};
    }
    case Frequency::kWeekly: {
      const int64_t first = startDay_ - floorMod(weekdayOf(startDay_) - weekStart_, 7) + 7 * interval_ * k;
      return {first, first + 7};
    }
    case Frequency::kDaily: return {startDay_ + interval_ * k, startDay_ + interval_ * k + 1};
    default: return {startDay_ + k, startDay_ + k + 1};
  }
}

int64_t RuleExpansion::blockAtOrBefore(int64_t day) const {
  const foundation::CivilDay& s = startCivil_;
  const foundation::CivilDay c = foundation::civilFromDays(day);
  switch (freq_) {
    case Frequency::kYearly: return floorDiv(c.year - s.year, interval_);
    case Frequency::kMonthly: return floorDiv(c.year * 12 + c.month - s.year * 12 - s.month, interval_);
    case Frequency::kWeekly:
      return floorDiv(day - (startDay_ - floorMod(weekdayOf(startDay_) - weekStart_, 7)), 7 * interval_);
    case Frequency::kDaily: return floorDiv(day - startDay_, interval_);
    default: return day - startDay_;
  }
}

void RuleExpansion::matchingDays(const Block& block, std::vector<int64_t>& days) const {
  days.clear();
  for (int64_t day = block.firstDay; day < block.endDay; ++day) {
    if (dayMatches(day)) days.push_back(day);
  }
}

// The times of day a rule shorter than a day yields on a day whose first
// point of the rule's grid lies `phase` units after midnight.
std::vector<int32_t> RuleExpansion::subDailyTimes(int64_t phase) const {
  std::vector<int32_t> out;
  const int64_t unit = unitOf(freq_);
  const int64_t perDay = kDay / unit;
  const bool picks = !setPositions_.empty();
  // The instances of one period, filtered as a whole by BYSETPOS.
  auto addPeriod = [&](int32_t base, const std::vector<int>& minutes, const std::vector<int>& seconds) {
    const int64_t size = static_cast<int64_t>(minutes.size() * seconds.size());
    auto at = [&](int64_t i) {
      out.push_back(base + minutes[i / seconds.size()] * 60 + seconds[i % seconds.size()]);
    };
    if (!picks) {
      for (int64_t i = 0; i < size; ++i) at(i);
    } else {
      for (int64_t i : pickedPositions(setPositions_, size)) at(i);
    }
  };
  static const std::vector<int> kZero{0};
  // The grid's points of the day, or the allowed hours and minutes, whichever
  // are fewer.
  const int64_t gridPoints = phase < perDay ? (perDay - phase + interval_ - 1) / interval_ : 0;
  const int64_t allowed = freq_ == Frequency::kHourly ? static_cast<int64_t>(hours_.size())
                          : static_cast<int64_t>(hours_.size() * minutes_.size()) *
                                (freq_ == Frequency::kSecondly ? static_cast<int64_t>(seconds_.size()) : 1);
  auto onGrid = [&](int64_t pointOfDay) { return pointOfDay >= phase && (pointOfDay - phase) % interval_ == 0; };
  auto addPoint = [&](int64_t point) {  // a point of the grid: one period
    const int h = static_cast<int>(point * unit / 3600), m = static_cast<int>(point * unit / 60 % 60),
              s = static_cast<int>(point * unit % 60);
    if (!holds(hours_, h)) return;
    if (freq_ == Frequency::kHourly) return addPeriod(h * 3600, minutes_, seconds_);
    if (!holds(minutes_, m)) return;
    if (freq_ == Frequency::kMinutely) return addPeriod(h * 3600 + m * 60, kZero, seconds_);
    if (holds(seconds_, s)) addPeriod(static_cast<int32_t>(point), kZero, kZero);
  };
  if (gridPoints <= allowed) {
    for (int64_t p = phase; p < perDay; p += interval_) addPoint(p);
    return out;
  }
  for (int h : hours_) {
    if (freq_ == Frequency::kHourly) {
      if (onGrid(h)) addPoint(h);
      continue;
    }
    for (int m : minutes_) {
      if (freq_ == Frequency::kMinutely) {
        if (onGrid(h * 60 + m)) addPoint(h * 60 + m);
        continue;
      }
      for (int s : seconds_) {
        if (onGrid(h * 3600 + m * 60 + s)) addPoint(h * 3600 + m * 60 + s);
      }
    }
  }
  return out;
}

const std::vector<int32_t>& RuleExpansion::timesOf(int64_t day) {
  if (freq_ >= Frequency::kDaily) return dayTimes_;
  const int64_t unit = unitOf(freq_);
  const int64_t phase = floorMod(floorDiv(startWall_, unit) - day * (kDay / unit), interval_);
  // Few phases repeat from day to day; with a long interval a day holds few
  // points of the grid and is quick to work out afresh.
  if (interval_ > 1440) return timesByPhase_[-1] = subDailyTimes(phase);
  auto found = timesByPhase_.find(phase);
  if (found == timesByPhase_.end()) found = timesByPhase_.emplace(phase, subDailyTimes(phase)).first;
  return found->second;
}

void RuleExpansion::walk(int64_t from, int64_t to, int64_t& counted, std::optional<int64_t> firstBlock,
                         const std::function<bool(int64_t)>& visit) {
  // False once the walk is over: past `to`, COUNT reached, or the visitor done.
  auto emit = [&](int64_t wall) {
    if (wall <= startWall_) return true;
    if (wall >= to || (count_ > 0 && counted >= count_)) return false;
    ++counted;
    return wall < from || visit(wall);
  };
  const int64_t lastDay = std::min(floorDiv(to - 1, kDay), foundation::daysFromCivil(kLastRuleYear + 1, 1, 1));
  const int64_t firstDay = floorDiv(from, kDay);
  std::vector<int64_t> days;
  const bool counts = count_ > 0 || firstBlock == 0;
  int64_t k = counts ? 0 : std::max<int64_t>(0, firstBlock.value_or(blockAtOrBefore(firstDay)));
  // A count goes on from where an earlier walk left off counting.
  if (counts && counted == 1 && blockAt(counting_.block).endDay <= firstDay) {
    k = counting_.block;
    counted = counting_.counted;
  }
  for (;; ++k) {
    const Block block = blockAt(k);
    if (block.firstDay > lastDay) return;
    const bool wholeBlockBefore = block.firstDay > startDay_ && block.endDay <= firstDay;
    if (wholeBlockBefore && counts) counting_ = {k, counted};
    if (wholeBlockBefore && freq_ == Frequency::kDaily && !limitsDays_) {
      // Every day of the grid alike: count the days before `from` at once.
      const int64_t blocks = blockAtOrBefore(firstDay - 1) - k + 1;
      counted += blocks * static_cast<int64_t>(setPositions_.empty() ? dayTimes_.size()
                                                : pickedPositions(setPositions_, dayTimes_.size()).size());
      if (count_ > 0 && counted >= count_) return;
      k += blocks - 1;
      continue;
    }
    if (freq_ <= Frequency::kDaily && months_ != 0) {
      // A day outside the rule's months: on to the next month.
      const foundation::CivilDay c = foundation::civilFromDays(block.firstDay);
      if (!(months_ >> c.month & 1)) {
        const int64_t next = foundation::daysFromCivil(c.year + (c.month == 12), c.month % 12 + 1, 1);
        k = std::max(k, blockAtOrBefore(next - 1));
        continue;
      }
    }
    matchingDays(block, days);
    if (days.empty()) continue;
    if (freq_ >= Frequency::kDaily && !setPositions_.empty()) {
      const auto picked = pickedPositions(setPositions_, static_cast<int64_t>(days.size() * dayTimes_.size()));
      if (wholeBlockBefore) {
        counted += static_cast<int64_t>(picked.size());
        if (count_ > 0 && counted >= count_) return;
        continue;
      }
      for (int64_t i : picked) {
        if (!emit(days[i / dayTimes_.size()] * kDay + dayTimes_[i % dayTimes_.size()])) return;
      }
      continue;
    }
    for (int64_t day : days) {
      const std::vector<int32_t>& times = timesOf(day);
      if (day > startDay_ && day < firstDay) {
        counted += static_cast<int64_t>(times.size());
        if (count_ > 0 && counted >= count_) return;
        continue;
      }
      for (int32_t t : times) {
        if (!emit(day * kDay + t)) return;
      }
    }
  }
}

int64_t RuleExpansion::wallOf(Date at) const {
  return foundation::wallSeconds(foundation::splitGregorian(at, *start_.zone));
}

void RuleExpansion::forEach(Date from, Date to, const std::function<bool(Date)>& visit) {
  if (until_) to = std::min(to, *until_ + std::chrono::seconds{1});
  const Date last = start_.zone->dateFromLocal({kLastRuleYear + 1, 1, 1, 0, 0, 0});
  from = std::max(from, start_.instant);
  to = std::min(to, last);
  if (to <= from) return;
  // Wall-clock bounds that hold every instance in [from, to) whatever the
  // offsets around them.
  auto offsets = [&](Date at) {
    const auto days2 = std::chrono::days{2};
    std::vector<int> o{start_.zone->secondsFromGMT(at - days2), start_.zone->secondsFromGMT(at),
                       start_.zone->secondsFromGMT(at + days2)};
    return std::pair{*std::min_element(o.begin(), o.end()), *std::max_element(o.begin(), o.end())};
  };
  const int64_t fromWall = from.time_since_epoch().count() + offsets(from).first;
  const int64_t toWall = to.time_since_epoch().count() + offsets(to).second + 1;
  std::optional<Date> previous;
  int64_t counted = 1;
  walk(fromWall, toWall, counted, std::nullopt, [&](int64_t wall) {
    const Date at = start_.zone->dateFromLocal(foundation::localFields(wall));
    if (at < from || at >= to || at == start_.instant || at == previous) return true;
    previous = at;
    return visit(at);
  });
}

int64_t RuleExpansion::countBefore(Date original) {
  if (original <= start_.instant) return 0;
  if (until_ && original > *until_) original = *until_ + std::chrono::seconds{1};
  const int64_t wall = wallOf(original);
  int64_t counted = 1;
  walk(wall, wall, counted, 0, [](int64_t) { return true; });
  // The walk counts whole periods at once and may pass COUNT doing so.
  return count_ > 0 ? std::min(counted, count_) : counted;
}

int64_t RuleExpansion::countWithin(Date from, Date to) {
  if (to <= from + std::chrono::days{4}) return 0;
  if (count_ > 0) {  // counted from the start anyway: the second count goes on from the first
    const int64_t before = countBefore(from);
    return countBefore(to) - before;
  }
  // The whole periods from two days after `from`, up to two days before `to`:
  // wall times that far inside lie inside whatever the zone's offsets.
  const int64_t firstBlock = blockAtOrBefore(floorDiv(wallOf(from + std::chrono::days{2}), kDay)) + 1;
  const int64_t end = wallOf(to - std::chrono::days{2});
  int64_t counted = 0;
  walk(end, end, counted, std::max<int64_t>(1, firstBlock), [](int64_t) { return true; });
  return counted;
}

}  // namespace calendarstore
