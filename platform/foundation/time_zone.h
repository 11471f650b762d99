// Time zones: the offset from GMT at an instant, and wall-clock fields
// turned back into an instant. Named zones come from the system's zone
// files, read with every rule they hold: the listed changes, offsets with
// seconds (local mean times), and the rule for the years after the last
// listed change.
//
// Not provided: leap seconds, historical zone names beyond the system's
// zoneinfo, and locale-specific zone abbreviations.
#ifndef ZYLO_PLATFORM_FOUNDATION_TIME_ZONE_H_
#define ZYLO_PLATFORM_FOUNDATION_TIME_ZONE_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/date.h"

namespace foundation {

// Wall-clock fields of the proleptic Gregorian calendar.
struct LocalDateTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Thread-safe: a zone is immutable once made.
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  // Seconds east of GMT in force at `at`.
  virtual int secondsFromGMT(Date at) const = 0;
  // The instant that `local` names in this zone. Fields that a change of
  // offset skips or repeats are read with the offset in force before the
  // change, in every zone: a time inside a gap takes the offset before the
  // gap (02:30 in a gap from 02:00 to 03:00 is 03:30 after it), a repeated
  // time is its first occurrence. The same fields always give the same instant.
  virtual Date dateFromLocal(const LocalDateTime& local) const = 0;
  // The IANA name ("Europe/Berlin"), or none for a zone without one.
  virtual std::optional<std::string> name() const = 0;
};

// That rule for a zone that knows only its offset at each instant
// (`zone.secondsFromGMT`); assumes no two changes of offset within two days.
Date dateFromLocalByOffsets(const LocalDateTime& local, const TimeZone& zone);

// A zone with one offset all year (tests, and "UTC").
std::shared_ptr<const TimeZone> fixedOffsetZone(int secondsEast);
// A zone of the system's zoneinfo, or null when the name is unknown.
std::shared_ptr<const TimeZone> namedZone(std::string_view ianaName);
// The process's default zone, as any Linux program finds it: the TZ variable
// (a zone name, with or without a leading ':', or a path below zoneinfo),
// else /etc/localtime, else UTC.
std::shared_ptr<const TimeZone> systemDefaultZone();

// The wall-clock fields of `date` in `zone`.
LocalDateTime splitGregorian(Date date, const TimeZone& zone);
// The same for the start of an all-day span: an instant at which the offset
// changes is read with the offset before the change, as `dateFromLocal`
// reads a skipped time, so that the midnight of a day the zone skipped
// (Pacific/Apia's 30 December 2011) names that day, not the next.
LocalDateTime splitAsStartOfDay(Date date, const TimeZone& zone);

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_TIME_ZONE_H_
