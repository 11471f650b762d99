#include "platform/calendarstore/series_edit.h"

#include <cstdlib>

#include "platform/calendarstore/ical_time.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;
using foundation::LocalDateTime;
using std::chrono::seconds;

int64_t positiveModulo(int64_t value, int64_t modulus) {
  return ((value % modulus) + modulus) % modulus;
}

// libical's BYDAY value: the weekday (1 Sunday .. 7 Saturday) and its
// position in the month or year, negative counting from the end.
short encodedDay(int weekday, int position) {
  return static_cast<short>((std::abs(position) * 8 + weekday) * (position < 0 ? -1 : 1));
}

// A day of the month moved by `days`: 31 moved by one is the 1st, the last
// day (-1) moved by one the 1st, moved back by one the day before the last.
short shiftedMonthDay(short day, int64_t days) {
  if (day > 0) return static_cast<short>(positiveModulo(day - 1 + days, 31) + 1);
  const int64_t moved = day + days;
  if (moved < 0) return static_cast<short>(moved >= -31 ? moved : -1);
  return static_cast<short>(std::min<int64_t>(moved + 1, 31));
}

template <size_t N, class Shift>
void shiftList(short (&values)[N], Shift shift) {
  for (size_t i = 0; i < N && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) values[i] = shift(values[i]);
}

}  // namespace

WallShift wallShiftBetween(Date shownStart, Date shownEnd, std::optional<Date> newStart,
                           std::optional<Date> newEnd, const foundation::TimeZone& zone) {
  auto wallMove = [&](Date from, std::optional<Date> to) {
    if (!to) return seconds{0};
    return seconds{foundation::wallSeconds(foundation::splitGregorian(*to, zone)) -
                   foundation::wallSeconds(foundation::splitGregorian(from, zone))};
  };
  return {wallMove(shownStart, newStart), wallMove(shownEnd, newEnd)};
}

LocalDateTime shiftedWall(const LocalDateTime& local, seconds shift) {
  return foundation::localFields(foundation::wallSeconds(local) + shift.count());
}

int64_t dayShift(const LocalDateTime& local, seconds shift) {
  const LocalDateTime moved = shiftedWall(local, shift);
  return foundation::daysFromCivil(moved.year, moved.month, moved.day) -
         foundation::daysFromCivil(local.year, local.month, local.day);
}

icaltimetype shiftedTime(icaltimetype t, seconds shift, int64_t days, const foundation::TimeZone& zone) {
  if (t.is_date) {
    const auto civil = foundation::civilFromDays(foundation::daysFromCivil(t.year, t.month, t.day) + days);
    icaltimetype moved = t;
    moved.year = static_cast<int>(civil.year), moved.month = civil.month, moved.day = civil.day;
    return moved;
  }
  if (icaltime_is_utc(t)) {
    const LocalDateTime utcFields = fieldsOf(t);
    const Date instant = foundation::fixedOffsetZone(0)->dateFromLocal(utcFields);
    const LocalDateTime wall = shiftedWall(foundation::splitGregorian(instant, zone), shift);
    icaltimetype moved =
        icalTimeOf(foundation::splitGregorian(zone.dateFromLocal(wall), *foundation::fixedOffsetZone(0)), false);
    moved.zone = t.zone;
    return moved;
  }
  icaltimetype moved = icalTimeOf(shiftedWall(fieldsOf(t), shift), false);
  moved.zone = t.zone;
  return moved;
}

void shiftRuleDays(icalrecurrencetype& rule, const LocalDateTime& start, seconds shift) {
  const int64_t days = dayShift(start, shift);
  if (days == 0) return;
  shiftList(rule.by_day, [&](short day) {
    const int weekday = icalrecurrencetype_day_day_of_week(day);
    const int position = icalrecurrencetype_day_position(day);
    return encodedDay(static_cast<int>(positiveModulo(weekday - 1 + days, 7)) + 1, position);
  });
  shiftList(rule.by_month_day, [&](short day) { return shiftedMonthDay(day, days); });
  const LocalDateTime moved = shiftedWall(start, shift);
  const int64_t months = (int64_t{moved.year} * 12 + moved.month) - (int64_t{start.year} * 12 + start.month);
  if (months != 0) {
    shiftList(rule.by_month, [&](short month) {
      return static_cast<short>(positiveModulo(month - 1 + months, 12) + 1);
    });
  }
}

icaltimetype untilAt(Date last, const StoredTime& start) {
  if (start.isDate || start.isFloating) {
    return icalTimeOf(foundation::splitGregorian(last, *start.zone), start.isDate);
  }
  icaltimetype until = icalTimeOf(foundation::splitGregorian(last, *foundation::fixedOffsetZone(0)), false);
  until.zone = icaltimezone_get_utc_timezone();
  return until;
}

icaltimetype untilBefore(Date original, const StoredTime& start) {
  return untilAt(original - seconds{1}, start);
}

}  // namespace calendarstore
