// A colour in the calibrated RGB space, components from 0 to 1.
#ifndef ZYLO_PLATFORM_FOUNDATION_COLOR_H_
#define ZYLO_PLATFORM_FOUNDATION_COLOR_H_

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

struct Color {
  float red = 0, green = 0, blue = 0, alpha = 1;

  // "#RRGGBB" or "#RRGGBBAA" (either case); anything else gives none.
  static std::optional<Color> fromHex(std::string_view hex);
  // "#RRGGBB", each component rounded to the nearest of 0..255.
  std::string toHex() const;
  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_COLOR_H_
