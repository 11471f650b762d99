// Exact decimal arithmetic on the host's numbers. A result too large for
// the mantissa falls back to double precision rather than wrapping.
#ifndef ZYLO_HOST_NUMBER_ARITHMETIC_H_
#define ZYLO_HOST_NUMBER_ARITHMETIC_H_

#include <compare>
#include <optional>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

using fmxhost::Number;

// Digits a quotient keeps after the decimal point (rounded half away from zero).
constexpr int kQuotientScale = 20;

Number add(Number a, Number b);
Number subtract(Number a, Number b);
Number multiply(Number a, Number b);
// None when dividing by zero.
std::optional<Number> divide(Number a, Number b);
Number negate(Number a);
std::strong_ordering compare(Number a, Number b);
// `a` with `places` digits after the point at most, half away from zero;
// a negative count rounds to tens, hundreds and so on.
Number roundedTo(Number a, int64_t places);

}  // namespace zylo::host

#endif  // ZYLO_HOST_NUMBER_ARITHMETIC_H_
