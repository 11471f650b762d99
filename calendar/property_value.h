// The value a property setter is given: a date for the keywords that take
// one, text for all others. Either is none when the caller gave no value.
#ifndef ZYLO_CALENDAR_PROPERTY_VALUE_H_
#define ZYLO_CALENDAR_PROPERTY_VALUE_H_

#include <optional>

#include "platform/foundation/date.h"
#include "platform/foundation/string.h"

namespace zylo {

struct PropertyValue {
  foundation::OptionalString text;
  std::optional<foundation::Date> date;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_PROPERTY_VALUE_H_
