// Date text: "YYYY-MM-DD HH:MM:SS +HHMM", the form in which dates travel
// between the calendar context and the function frame.
#ifndef ZYLO_PLATFORM_FOUNDATION_DATE_TEXT_H_
#define ZYLO_PLATFORM_FOUNDATION_DATE_TEXT_H_

#include <optional>
#include <string_view>

#include "platform/foundation/date.h"
#include "platform/foundation/string.h"
#include "platform/foundation/time_zone.h"

namespace foundation {

// Builds the text from wall-clock fields and an offset in seconds east of
// GMT: year as a plain number, the other fields and the offset's hours and
// minutes zero-padded to two digits; the sign is "+" only for a positive
// offset, so GMT is written "-0000".
String dateText(const LocalDateTime& fields, int secondsFromGMT);

// The description of `date` in `zone`: its wall-clock fields there and the
// zone's offset at that instant, in the form above.
String describeDate(Date date, const TimeZone& zone);

// Reads "Y-M-D H:M:S +HHMM" (white space between the parts, a signed
// four-digit offset). Anything else, or fields out of range, gives none.
std::optional<Date> dateWithString(std::u16string_view text);

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_DATE_TEXT_H_
