#include "host/number_arithmetic.h"

#include <algorithm>
#include <limits>

namespace zylo::host {
namespace {

using Unsigned = unsigned __int128;
constexpr __int128 kMax = std::numeric_limits<__int128>::max();

Number normalized(Number n) {
  while (n.scale > 0 && n.mantissa % 10 == 0) {
    n.mantissa /= 10;
    --n.scale;
  }
  return n;
}

// Multiplies by 10^digits; false on overflow.
bool scaleUp(__int128& m, int digits) {
  for (; digits > 0; --digits)
    if (__builtin_mul_overflow(m, __int128(10), &m)) return false;
  return true;
}

// Brings both to the larger scale; false when a mantissa would overflow.
bool align(Number& a, Number& b) {
  if (a.scale < b.scale) {
    if (!scaleUp(a.mantissa, b.scale - a.scale)) return false;
    a.scale = b.scale;
  } else if (b.scale < a.scale) {
    if (!scaleUp(b.mantissa, a.scale - b.scale)) return false;
    b.scale = a.scale;
  }
  return true;
}

Unsigned magnitude(__int128 v) { return v < 0 ? Unsigned(0) - Unsigned(v) : Unsigned(v); }

}  // namespace

Number add(Number a, Number b) {
  Number sum{0, 0};
  if (align(a, b) && !__builtin_add_overflow(a.mantissa, b.mantissa, &sum.mantissa)) {
    sum.scale = a.scale;
    return normalized(sum);
  }
  return Number::fromDouble(a.toDouble() + b.toDouble());
}

Number negate(Number a) {
  if (a.mantissa == -kMax - 1) a.mantissa = -kMax;
  return {-a.mantissa, a.scale};
}

Number subtract(Number a, Number b) { return add(a, negate(b)); }

Number multiply(Number a, Number b) {
  a = normalized(a);
  b = normalized(b);
  Number product{0, a.scale + b.scale};
  if (!__builtin_mul_overflow(a.mantissa, b.mantissa, &product.mantissa))
    return normalized(product);
  return Number::fromDouble(a.toDouble() * b.toDouble());
}

std::optional<Number> divide(Number a, Number b) {
  if (b.mantissa == 0) return std::nullopt;
  a = normalized(a);
  b = normalized(b);
  bool negative = (a.mantissa < 0) != (b.mantissa < 0);
  Unsigned divisor = magnitude(b.mantissa);
  Unsigned quotient = magnitude(a.mantissa) / divisor;
  Unsigned remainder = magnitude(a.mantissa) % divisor;
  // a / b = (a.mantissa / b.mantissa) * 10^(b.scale - a.scale): after `digits`
  // long-division steps the quotient's scale is digits + a.scale - b.scale.
  int digits = 0;
  const Unsigned limit = Unsigned(kMax) / 10;
  bool roundUp = false;
  for (;;) {
    bool room = remainder <= Unsigned(-1) / 10 && quotient <= limit;
    if (remainder == 0 || !room) break;
    if (digits + a.scale - b.scale >= kQuotientScale) {
      roundUp = remainder * 10 / divisor >= 5;
      break;
    }
    remainder *= 10;
    quotient = quotient * 10 + remainder / divisor;
    remainder %= divisor;
    ++digits;
  }
  if (roundUp) ++quotient;
  if (quotient > Unsigned(kMax)) return Number::fromDouble(a.toDouble() / b.toDouble());
  Number result{__int128(quotient), digits + a.scale - b.scale};
  if (result.scale < 0) {
    if (!scaleUp(result.mantissa, -result.scale))
      return Number::fromDouble(a.toDouble() / b.toDouble());
    result.scale = 0;
  }
  if (negative) result.mantissa = -result.mantissa;
  return normalized(result);
}

std::strong_ordering compare(Number a, Number b) {
  if (align(a, b)) return a.mantissa <=> b.mantissa;
  double x = a.toDouble(), y = b.toDouble();
  return x < y ? std::strong_ordering::less
               : (x > y ? std::strong_ordering::greater : std::strong_ordering::equal);
}

}  // namespace zylo::host

namespace zylo::host {

Number roundedTo(Number a, int64_t places) {
  places = std::clamp<int64_t>(places, -38, 400);
  if (a.scale <= places) return a;
  // Drop the digits past `places`, rounding half away from zero.
  const bool negative = a.mantissa < 0;
  const Unsigned whole = magnitude(a.mantissa);
  Unsigned divisor = 1;
  for (int64_t drop = a.scale - places; drop > 0 && divisor <= std::numeric_limits<Unsigned>::max() / 10; --drop) {
    divisor *= 10;
  }
  Unsigned kept = whole / divisor;
  if (whole % divisor >= divisor - whole % divisor) ++kept;  // at least half was dropped
  __int128 result = static_cast<__int128>(kept);
  if (negative) result = -result;
  if (places >= 0) return normalized({result, int32_t(places)});
  __int128 scaled = result;
  if (!scaleUp(scaled, int(-places))) return Number::fromDouble(a.toDouble());
  return {scaled, 0};
}

}  // namespace zylo::host
