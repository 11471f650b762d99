#include "platform/foundation/string.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <limits>

namespace foundation {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void appendCodePoint(String& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

// Decodes one sequence at `i` and advances past it. A malformed sequence
// yields U+FFFD and skips only its valid prefix, so one bad byte never
// swallows the characters after it.
char32_t decodeUtf8(std::string_view s, size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  int length;
  char32_t c, minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1, c = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2, c = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < length; ++k) {
    if (i >= s.size() || !isContinuation(static_cast<unsigned char>(s[i]))) return kReplacement;
    c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    // Reject overlong forms, surrogates and values past U+10FFFF as soon as
    // the first continuation byte shows them.
    if (k == 0 && length > 1) {
      const char32_t top = c << (6 * (length - 1));
      if (top < minimum || top > 0x10FFFF || (top >= 0xD800 && top <= 0xDFFF)) {
        return kReplacement;
      }
    }
  }
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

bool isWhiteSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u00A0' || c == u'\u1680' ||
         (c >= u'\u2000' && c <= u'\u200A') || c == u'\u2028' || c == u'\u2029' ||
         c == u'\u202F' || c == u'\u205F' || c == u'\u3000';
}

std::u16string_view withoutLeadingWhiteSpace(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && isWhiteSpace(s[i])) ++i;
  return s.substr(i);
}

// The "C" locale, made once, so number reading ignores the process's locale.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return locale;
}

}  // namespace

String fromUtf8(std::string_view utf8) {
  String out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) appendCodePoint(out, decodeUtf8(utf8, i));
  return out;
}

String fromUtf32(std::u32string_view utf32) {
  String out;
  out.reserve(utf32.size());
  for (char32_t c : utf32) {
    appendCodePoint(out, c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? char32_t{kReplacement} : c);
  }
  return out;
}

std::string toUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t u = utf16[i];
    if (isHighSurrogate(u) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
      appendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (utf16[++i] - 0xDC00));
    } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

std::vector<String> split(std::u16string_view s, char16_t separator) {
  std::vector<String> pieces;
  size_t start = 0;
  for (size_t at; (at = s.find(separator, start)) != std::u16string_view::npos; start = at + 1) {
    pieces.emplace_back(s.substr(start, at - start));
  }
  pieces.emplace_back(s.substr(start));
  return pieces;
}

int32_t intValue(std::u16string_view s) {
  s = withoutLeadingWhiteSpace(s);
  bool negative = false;
  if (!s.empty() && (s.front() == u'+' || s.front() == u'-')) {
    negative = s.front() == u'-';
    s.remove_prefix(1);
  }
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (size_t i = 0; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    magnitude = std::min(magnitude * 10 + (s[i] - u'0'), kLimit);
  }
  const int64_t value = negative ? -magnitude : std::min(magnitude, kLimit - 1);
  return static_cast<int32_t>(value);
}

float floatValue(std::u16string_view s) {
  s = withoutLeadingWhiteSpace(s);
  // Numbers are ASCII: the first other character ends the number anyway.
  std::string ascii;
  for (size_t i = 0; i < s.size() && s[i] > u' ' && s[i] < 0x7F; ++i) {
    ascii.push_back(static_cast<char>(s[i]));
  }
  return strtof_l(ascii.c_str(), nullptr, cLocale());
}

}  // namespace foundation
