// The rule a zone file carries for the years after its last listed change:
// a POSIX TZ string such as "CET-1CEST,M3.5.0,M10.5.0/3" (standard name and
// offset west of GMT, then optionally the daylight-saving name, offset and
// the local times it starts and ends).
//
// Not provided: rules without a daylight-saving part beyond their offset
// names, which are kept only to be skipped.
#ifndef ZYLO_PLATFORM_FOUNDATION_POSIX_TZ_RULE_H_
#define ZYLO_PLATFORM_FOUNDATION_POSIX_TZ_RULE_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace foundation {

class PosixTzRule {
 public:
  // None when `text` is not a rule of that form.
  static std::optional<PosixTzRule> parse(std::string_view text);

  // Seconds east of GMT at `unixSeconds`.
  int offsetAt(int64_t unixSeconds) const;

 private:
  // When daylight-saving time starts or ends in a year: a day (the n-th
  // weekday of a month, or a day of the year) and a local time, which may
  // lie outside 0..24 hours.
  struct Change {
    enum Kind { kJulianNoLeap, kDayOfYear, kMonthWeekDay } kind = kMonthWeekDay;
    int day = 0, week = 0, month = 0;  // day: of the year, or the weekday (0 Sunday)
    int64_t time = 7200;               // seconds after local midnight
  };
  // Days since 1970-01-01 of the change's day in `year`.
  static int64_t dayOf(const Change& c, int64_t year);

  int standard_ = 0;             // seconds east of GMT
  std::optional<int> daylight_;  // none: the zone keeps its standard offset
  Change start_, end_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_POSIX_TZ_RULE_H_
