// Dates, times and timestamps as numbers and as text: FileMaker counts
// days from 0001-01-01 (day 1) and timestamps in seconds from its midnight.
#ifndef ZYLO_HOST_TEMPORAL_H_
#define ZYLO_HOST_TEMPORAL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

using fmxhost::Date;
using fmxhost::Number;
using fmxhost::Time;
using fmxhost::Timestamp;

int64_t dayNumber(const Date& date);
// None outside the years 1..4000 the host supports.
std::optional<Date> dateFromDayNumber(int64_t day);
// Date ( month ; day ; year ): fields out of range carry over, so month 13
// is January of the next year and day 0 the last day of the month before.
std::optional<Date> normalizedDate(int64_t month, int64_t day, int64_t year);

Number secondsOf(const Time& time);
Number secondsOf(const Timestamp& timestamp);
// A time of any length; a negative one has a negative hour and positive
// minutes and seconds that count forward from it.
Time timeFromSeconds(Number seconds);
std::optional<Timestamp> timestampFromSeconds(Number seconds);

// "YYYY-MM-DD" or "M/D/YYYY".
std::optional<Date> parseDate(std::u16string_view text);
// "H:MM", "H:MM:SS" or "H:MM:SS.ffffff", with an optional AM or PM.
std::optional<Time> parseTime(std::u16string_view text);
// A date, then optionally white space (or ISO's T) and a time.
std::optional<Timestamp> parseTimestamp(std::u16string_view text);

// Text forms: "2026-01-02" and "1/2/2026"; a time as H:MM:SS with the hour
// padded to `hourDigits`, a fraction only when there is one, and a sign for
// a negative time.
std::string isoDateText(const Date& date);
std::string usDateText(const Date& date);
std::string timeText(const Time& time, int hourDigits);

}  // namespace zylo::host

#endif  // ZYLO_HOST_TEMPORAL_H_
