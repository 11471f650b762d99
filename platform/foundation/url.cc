#include "platform/foundation/url.h"

#include <algorithm>
#include <string_view>

namespace foundation {
namespace {

bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Characters a URL holds unescaped: the unreserved, reserved and '%', and
// any character outside ASCII but the controls and non-characters, as in an
// internationalised address ("https://de.wikipedia.org/wiki/Straße").
bool allowed(char16_t c) {
  constexpr std::u16string_view kPunctuation = u"-._~:/?#[]@!$&'()*+,;=%";
  if (c >= 0xA0) return c != 0xFFFE && c != 0xFFFF;
  return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || kPunctuation.find(c) != std::u16string_view::npos;
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Every surrogate is half of a pair.
bool wellFormedPairs(std::u16string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (isHighSurrogate(s[i]) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
      ++i;
    } else if (isHighSurrogate(s[i]) || isLowSurrogate(s[i])) {
      return false;
    }
  }
  return true;
}

bool wellFormedEscapes(std::u16string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'%') continue;
    if (i + 2 >= s.size() || !isHexDigit(s[i + 1]) || !isHexDigit(s[i + 2])) return false;
    i += 2;
  }
  return true;
}

// A scheme, when the text has one before its first ':', is a letter then
// letters, digits, '+', '-' or '.'; a text without ':' is a relative URL.
bool wellFormedScheme(std::u16string_view s) {
  const size_t colon = s.find(u':');
  const size_t slash = s.find_first_of(u"/?#");
  if (colon == std::u16string_view::npos || (slash != std::u16string_view::npos && slash < colon)) {
    return true;
  }
  const auto scheme = s.substr(0, colon);
  return !scheme.empty() && isAsciiLetter(scheme[0]) &&
         std::all_of(scheme.begin(), scheme.end(), [](char16_t c) {
           return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
         });
}

}  // namespace

std::optional<Url> Url::withString(std::u16string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), allowed) || !wellFormedPairs(text) ||
      !wellFormedEscapes(text) || !wellFormedScheme(text)) {
    return std::nullopt;
  }
  return Url(String(text));
}

}  // namespace foundation
