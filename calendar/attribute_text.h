// How properties read as text: truth values, dates, numbers and colours.
#ifndef ZYLO_CALENDAR_ATTRIBUTE_TEXT_H_
#define ZYLO_CALENDAR_ATTRIBUTE_TEXT_H_

#include <optional>

#include "platform/foundation/color.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"
#include "platform/foundation/time_zone.h"
#include "platform/foundation/url.h"

namespace zylo {

// "True" or "False".
foundation::String truthText(bool value);
// Date text in `zone`; none for no date.
foundation::OptionalString dateAttribute(const std::optional<foundation::Date>& date,
                                         const foundation::TimeZone& zone);
// The start of an all-day span: the same, but an instant at which the
// zone's offset changes is described in the offset before the change, so
// that a day the zone skipped reads as itself (see splitAsStartOfDay).
foundation::OptionalString dayAttribute(const std::optional<foundation::Date>& date,
                                        const foundation::TimeZone& zone);
// The URL as absolute text; none for no URL.
foundation::OptionalString urlAttribute(const std::optional<foundation::Url>& url);
// "%d".
foundation::String integerText(int value);
// Red, green and blue as whole numbers 0 to 255 separated by spaces: each
// component times 255 in single precision, printed with no decimals.
foundation::String colorText(const foundation::Color& color);

}  // namespace zylo

#endif  // ZYLO_CALENDAR_ATTRIBUTE_TEXT_H_
