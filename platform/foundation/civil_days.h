// Days since 1970-01-01 <-> proleptic Gregorian year, month and day, for any
// year an int holds (the standard calendar types stop at year 32767).
#ifndef ZYLO_PLATFORM_FOUNDATION_CIVIL_DAYS_H_
#define ZYLO_PLATFORM_FOUNDATION_CIVIL_DAYS_H_

#include <cstdint>

#include "platform/foundation/time_zone.h"

namespace foundation {

struct CivilDay {
  int64_t year;
  int month, day;
};

// REQUIRES: 1 <= month <= 12.
constexpr int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr CivilDay civilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shifted = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  return {yearOfEra + era * 400 + (month <= 2), month, day};
}

constexpr bool isLeapYear(int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int daysInMonth(int64_t year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// The wall-clock fields of a count of seconds since 1970-01-01 00:00 local.
constexpr LocalDateTime localFields(int64_t localSeconds) {
  constexpr int64_t kDay = 86400;
  const int64_t days = (localSeconds >= 0 ? localSeconds : localSeconds - (kDay - 1)) / kDay;
  const int64_t secondOfDay = localSeconds - days * kDay;
  const CivilDay civil = civilFromDays(days);
  return {static_cast<int>(civil.year),           civil.month,
          civil.day,                              static_cast<int>(secondOfDay / 3600),
          static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60)};
}

// Seconds since 1970-01-01 00:00 local of wall-clock fields: the inverse of
// localFields.
constexpr int64_t wallSeconds(const LocalDateTime& l) {
  return daysFromCivil(l.year, l.month, l.day) * 86400 + l.hour * 3600 + l.minute * 60 + l.second;
}

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_CIVIL_DAYS_H_
