// How the calculation engine reads a value as another type, as FileMaker
// does when an operator or built-in wants text, a number or a date.
#ifndef ZYLO_HOST_VALUE_CONVERSION_H_
#define ZYLO_HOST_VALUE_CONVERSION_H_

#include <optional>
#include <string>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

using fmxhost::Value;

// Numbers in shortest decimal; dates as M/D/YYYY, times as H:MM:SS and
// timestamps as both, which GetAsDate, GetAsTime and GetAsTimestamp read back.
std::u16string textOf(const Value& v);
// Dates as their day number, times and timestamps in seconds; text by its
// digits ("12abc3.5" is 123.5); none for text without digits and for empty.
std::optional<fmxhost::Number> numberOf(const Value& v);
fmxhost::Number numberOrZero(const Value& v);
bool isTrue(const Value& v);

std::optional<fmxhost::Date> dateOf(const Value& v);
std::optional<fmxhost::Time> timeOf(const Value& v);
std::optional<fmxhost::Timestamp> timestampOf(const Value& v);

// FileMaker's answer to a calculation it cannot carry out: the text "?".
Value invalidResult();
Value booleanResult(bool b);

}  // namespace zylo::host

#endif  // ZYLO_HOST_VALUE_CONVERSION_H_
