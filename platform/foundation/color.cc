#include "platform/foundation/color.h"

#include <cmath>
#include <cstdio>

namespace foundation {
namespace {

std::optional<int> hexByte(std::string_view two) {
  int value = 0;
  for (char c : two) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

int toByte(float component) {
  const float clamped = component < 0 ? 0 : component > 1 ? 1 : component;
  return static_cast<int>(std::lround(clamped * 255));
}

}  // namespace

std::optional<Color> Color::fromHex(std::string_view hex) {
  if (!hex.starts_with('#') || (hex.size() != 7 && hex.size() != 9)) return std::nullopt;
  float components[4] = {0, 0, 0, 1};
  for (size_t i = 0; 1 + 2 * i < hex.size(); ++i) {
    const auto byte = hexByte(hex.substr(1 + 2 * i, 2));
    if (!byte) return std::nullopt;
    components[i] = static_cast<float>(*byte) / 255.0f;
  }
  return Color{components[0], components[1], components[2], components[3]};
}

std::string Color::toHex() const {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", toByte(red), toByte(green), toByte(blue));
  return text;
}

}  // namespace foundation
