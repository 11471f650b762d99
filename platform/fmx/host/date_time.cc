// Date-times: calendar fields, set with carry-over as the host normalizes.
#include "platform/fmx/host/handles.h"
#include "platform/foundation/civil_days.h"

using fmxhost::checked;
using fmxhost::guarded;
using fmxhost::guardedVoid;

namespace {

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Years the host's date fields hold.
constexpr int64_t kFirstYear = 1, kLastYear = 4000;
constexpr int64_t kHourLimit = 1000000000;

void setDay(fmxhost::Date& date, int64_t daysSinceEpoch) {
  const foundation::CivilDay civil = foundation::civilFromDays(daysSinceEpoch);
  if (civil.year < kFirstYear || civil.year > kLastYear) throw fmxhost::BadHandle{};
  date = {static_cast<int>(civil.year), civil.month, civil.day};
}

int64_t dayOf(const fmxhost::Date& date) {
  return foundation::daysFromCivil(date.year, date.month, date.day);
}

}  // namespace

extern "C" {

FM_DateTime* FM_DateTime_Constructor1(FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_DateTime*>(nullptr), [] { return new FM_DateTime; });
}

void FM_DateTime_Delete(FM_DateTime* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

int16_t FM_DateTime_GetYear(const FM_DateTime* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, int16_t{0}, [&] { return static_cast<int16_t>(checked(self).value.date.year); });
}
int16_t FM_DateTime_GetMonth(const FM_DateTime* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, int16_t{0}, [&] { return static_cast<int16_t>(checked(self).value.date.month); });
}
int16_t FM_DateTime_GetDay(const FM_DateTime* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, int16_t{0}, [&] { return static_cast<int16_t>(checked(self).value.date.day); });
}
int32_t FM_DateTime_GetHour(const FM_DateTime* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, int32_t{0}, [&] { return static_cast<int32_t>(checked(self).value.time.hour); });
}
int16_t FM_DateTime_GetMinute(const FM_DateTime* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, int16_t{0}, [&] { return static_cast<int16_t>(checked(self).value.time.minute); });
}
int16_t FM_DateTime_GetSec(const FM_DateTime* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, int16_t{0}, [&] { return static_cast<int16_t>(checked(self).value.time.second); });
}

FMX_Err FM_DateTime_SetNormalizedDate1(FM_DateTime* self, int16_t month, int16_t day,
                                       int16_t year, FMX_ErrorBlock* err) {
  return guarded(__func__, err, FMX_Err{kFMX_Failure}, [&] {
    const int64_t months = int64_t{year} * 12 + (month - 1);
    const int64_t firstOfMonth =
        foundation::daysFromCivil(floorDiv(months, 12), static_cast<int>(months - floorDiv(months, 12) * 12) + 1, 1);
    setDay(checked(self).value.date, firstOfMonth + day - 1);
    return FMX_Err{kFMX_NoError};
  });
}

// A time past midnight carries into the date, so a timestamp stays one
// instant whichever field overflowed.
FMX_Err FM_DateTime_SetNormalizedTime1(FM_DateTime* self, int64_t hour, int16_t minute,
                                       int16_t sec, int32_t usec, FMX_ErrorBlock* err) {
  return guarded(__func__, err, FMX_Err{kFMX_Failure}, [&] {
    // Beyond this many hours the microseconds would not fit.
    if (hour > kHourLimit || hour < -kHourLimit) throw fmxhost::BadHandle{};
    auto& value = checked(self).value;
    const int64_t micros = ((hour * 60 + minute) * 60 + sec) * 1000000 + usec;
    const int64_t days = floorDiv(micros, int64_t{86400} * 1000000);
    const int64_t ofDay = micros - days * 86400 * 1000000;
    fmxhost::Date date = value.date;
    setDay(date, dayOf(date) + days);
    value.date = date;
    value.time = {ofDay / 3600000000, static_cast<int>(ofDay / 60000000 % 60),
                  static_cast<int>(ofDay / 1000000 % 60), static_cast<int>(ofDay % 1000000)};
    return FMX_Err{kFMX_NoError};
  });
}

}  // extern "C"
