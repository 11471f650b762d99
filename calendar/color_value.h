// A calendar colour written as text: red, green and blue, each a number
// from 0 to 255, separated by white space; the inverse of the colour text
// that reading gives.
#ifndef ZYLO_CALENDAR_COLOR_VALUE_H_
#define ZYLO_CALENDAR_COLOR_VALUE_H_

#include <optional>
#include <string_view>

#include "platform/foundation/color.h"

namespace zylo {

// Every space-like character or tab ends a piece, so doubled or outer white
// space makes empty pieces; none unless there are exactly three pieces, each
// reading (by its leading number, 0 without one) within 0 to 255. The
// components are the numbers divided by 255; alpha is 1.
std::optional<foundation::Color> colorFromText(std::u16string_view text);

}  // namespace zylo

#endif  // ZYLO_CALENDAR_COLOR_VALUE_H_
