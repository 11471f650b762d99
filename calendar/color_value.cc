#include "calendar/color_value.h"

#include <array>
#include <vector>

#include "platform/foundation/string.h"

namespace zylo {
namespace {

// The platform's white space set: tab and the space separators of Unicode
// (general category Zs); line breaks are not among them.
bool isWhiteSpace(char16_t c) {
  return c == u'\t' || c == u' ' || c == u'\u00A0' || c == u'\u1680' ||
         (c >= u'\u2000' && c <= u'\u200A') || c == u'\u202F' || c == u'\u205F' ||
         c == u'\u3000';
}

std::vector<std::u16string_view> piecesOf(std::u16string_view text) {
  std::vector<std::u16string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (isWhiteSpace(text[i])) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

}  // namespace

std::optional<foundation::Color> colorFromText(std::u16string_view text) {
  const std::vector<std::u16string_view> pieces = piecesOf(text);
  if (pieces.size() != 3) return std::nullopt;
  std::array<float, 3> components{};
  for (size_t i = 0; i < 3; ++i) {
    const float value = foundation::floatValue(pieces[i]);
    // Written so that a piece reading as not-a-number fails too.
    if (!(value >= 0.0f && value <= 255.0f)) return std::nullopt;
    components[i] = value / 255.0f;
  }
  return foundation::Color{components[0], components[1], components[2], 1.0f};
}

}  // namespace zylo
