// FileMaker values to the context's texts, integers and dates, and back.
#ifndef ZYLO_FRAME_VALUE_CONVERSION_H_
#define ZYLO_FRAME_VALUE_CONVERSION_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/fmx/fmx.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"
#include "platform/foundation/time_zone.h"

namespace zylo {

// Parameter i as text; an empty text is absent.
foundation::OptionalString readText(fmx::DataVectRef params, uint32_t i);
// Parameter i as a signed 32-bit whole number.
int32_t readInteger(fmx::DataVectRef params, uint32_t i);
// Parameter i as a timestamp read as wall-clock time in `zone`, by the
// zone's rule for gaps and repeated times. Absent when the text is empty or
// anything fails.
std::optional<foundation::Date> readTimestamp(fmx::DataVectRef params, uint32_t i,
                                              const foundation::TimeZone& zone);

void writeText(fmx::DataRef result, const foundation::String& text);
void writeInteger(fmx::DataRef result, int32_t value);
// Splits the date into wall-clock fields in `zone`.
void writeDate(fmx::DataRef result, foundation::Date date, const foundation::TimeZone& zone);
void writeTimestamp(fmx::DataRef result, foundation::Date date, const foundation::TimeZone& zone);
// The error marker as plain ASCII text with the result's own locale.
void writeErrorMarker(fmx::DataRef result);

// Whole numbers separated by carriage returns; absent text gives an absent
// list, an empty text a list of one 0.
std::optional<std::vector<int32_t>> NSStringToNSArrayInt(const foundation::OptionalString& text);

}  // namespace zylo

#endif  // ZYLO_FRAME_VALUE_CONVERSION_H_
