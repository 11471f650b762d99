// The host's decimal numbers: exact for what users type, rounded to a
// double's meaningful digits for what arrives as a double.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/fmx/host/host_api.h"

namespace fmxhost {
namespace {

using Unsigned = unsigned __int128;

constexpr int kMaxScale = 400;
constexpr int kDoubleDigits = 15;
// Past this magnitude another decimal digit would overflow the mantissa.
constexpr Unsigned kMantissaLimit = std::numeric_limits<__int128>::max() / 10;

Unsigned magnitude(__int128 v) { return v < 0 ? Unsigned(0) - Unsigned(v) : Unsigned(v); }

__int128 signedOf(Unsigned m, bool negative) {
  return negative ? static_cast<__int128>(Unsigned(0) - m) : static_cast<__int128>(m);
}

// Drops zeros after the decimal point that carry no value.
Number normalized(Number n) {
  while (n.scale > 0 && n.mantissa % 10 == 0) {
    n.mantissa /= 10;
    --n.scale;
  }
  return n;
}

}  // namespace

Number Number::fromInt(int64_t v) { return {v, 0}; }

Number Number::fromDouble(double v) {
  if (!std::isfinite(v) || v == 0) return {};
  // d.dddddddddddddde±x: the value rounded to kDoubleDigits significant digits.
  char buffer[40];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer - 1, v,
                                 std::chars_format::scientific, kDoubleDigits - 1);
  if (ec != std::errc()) return {};
  *end = '\0';
  bool negative = buffer[0] == '-';
  Unsigned digits = 0;
  const char* p = buffer + (negative ? 1 : 0);
  for (; *p != 'e'; ++p)
    if (*p != '.') digits = digits * 10 + Unsigned(*p - '0');
  int exponent = std::atoi(p + 1);
  int scale = kDoubleDigits - 1 - exponent;
  for (; scale < 0; ++scale) {
    if (digits > kMantissaLimit) return {signedOf(kMantissaLimit * 10, negative), 0};
    digits *= 10;
  }
  if (scale > kMaxScale) return {};
  return normalized({signedOf(digits, negative), scale});
}

std::optional<Number> Number::fromText(std::u16string_view text) {
  Unsigned digits = 0;
  int scale = 0;
  bool seenDigit = false, seenPoint = false, negative = false;
  for (char16_t c : text) {
    if (c == u'-' && !seenDigit && !seenPoint) {
      negative = true;
    } else if (c == u'.' && !seenPoint) {
      seenPoint = true;
    } else if (c >= u'0' && c <= u'9') {
      seenDigit = true;
      // Digits past the mantissa's precision are dropped after the point and
      // saturate before it.
      if (digits > kMantissaLimit) {
        if (!seenPoint) digits = kMantissaLimit * 10;
        continue;
      }
      if (seenPoint && scale == kMaxScale) continue;
      digits = digits * 10 + Unsigned(c - u'0');
      if (seenPoint) ++scale;
    }
  }
  if (!seenDigit) return std::nullopt;
  return normalized({signedOf(digits, negative), scale});
}

double Number::toDouble() const {
  std::string s = toString();
  double d = 0;
  std::from_chars(s.data(), s.data() + s.size(), d);
  return d;
}

int64_t Number::truncated() const {
  __int128 whole = mantissa;
  for (int i = 0; i < scale && whole != 0; ++i) whole /= 10;
  if (whole > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (whole < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(whole);
}

std::string Number::toString() const {
  Unsigned m = magnitude(mantissa);
  std::string digits;
  do {
    digits.insert(digits.begin(), char('0' + int(m % 10)));
    m /= 10;
  } while (m != 0);
  if (scale > 0) {
    if (digits.size() <= size_t(scale)) digits.insert(0, size_t(scale) + 1 - digits.size(), '0');
    digits.insert(digits.size() - size_t(scale), 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (mantissa < 0 && digits != "0") digits.insert(0, 1, '-');
  return digits;
}

}  // namespace fmxhost
