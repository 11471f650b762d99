// Texts as the plug-in keeps them: UTF-16, with an absent text kept apart
// from an empty one (std::nullopt versus u"").
#ifndef ZYLO_PLATFORM_FOUNDATION_STRING_H_
#define ZYLO_PLATFORM_FOUNDATION_STRING_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

using String = std::u16string;
using OptionalString = std::optional<std::u16string>;

// UTF-8 <-> UTF-16; malformed input becomes U+FFFD, never an error.
String fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
// UTF-32 -> UTF-16; surrogates and values past U+10FFFF become U+FFFD.
String fromUtf32(std::u32string_view utf32);

// Simple (one-to-one) Unicode case mapping of every code point.
String lowercased(std::u16string_view s);
String uppercased(std::u16string_view s);
// Compares after simple case folding of both sides.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

// Splits at every occurrence of the separator; n separators give n + 1
// pieces, empty ones included.
std::vector<String> split(std::u16string_view s, char16_t separator);

// The leading decimal integer after leading white space, with an optional
// sign; 0 when there are no digits; clamped to the 32-bit range.
int32_t intValue(std::u16string_view s);
// The leading floating-point number after leading white space; 0 when the
// text does not start with one.
float floatValue(std::u16string_view s);

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_STRING_H_
