#include "calendar/attribute_text.h"

#include <cstdio>

#include "platform/foundation/date_text.h"

namespace zylo {

foundation::String truthText(bool value) { return value ? u"True" : u"False"; }

foundation::OptionalString dateAttribute(const std::optional<foundation::Date>& date,
                                         const foundation::TimeZone& zone) {
  if (!date) return std::nullopt;
  return foundation::describeDate(*date, zone);
}

foundation::OptionalString dayAttribute(const std::optional<foundation::Date>& date,
                                        const foundation::TimeZone& zone) {
  if (!date) return std::nullopt;
  const int before = zone.secondsFromGMT(*date - std::chrono::seconds{1});
  return foundation::describeDate(*date, *foundation::fixedOffsetZone(before));
}

foundation::OptionalString urlAttribute(const std::optional<foundation::Url>& url) {
  if (!url) return std::nullopt;
  return url->absoluteString();
}

foundation::String integerText(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return foundation::fromUtf8(buffer);
}

foundation::String colorText(const foundation::Color& color) {
  const float red = color.red * 255.0f, green = color.green * 255.0f, blue = color.blue * 255.0f;
  // Three components of at most a few digits each; the size only guards
  // against components far outside 0 to 1.
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "%.0f %.0f %.0f", static_cast<double>(red),
                static_cast<double>(green), static_cast<double>(blue));
  return foundation::fromUtf8(buffer);
}

}  // namespace zylo
