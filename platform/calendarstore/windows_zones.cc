#include "platform/calendarstore/windows_zones.h"

#include <algorithm>
#include <cctype>

namespace calendarstore {
namespace {

bool sameLetters(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

// "(UTC+01:00) Amsterdam, Berlin" -> "Amsterdam, Berlin"; none for a text
// without such a prefix.
std::optional<std::string_view> placesOf(std::string_view label) {
  if (!label.starts_with('(')) return std::nullopt;
  const size_t close = label.find(") ");
  if (close == std::string_view::npos) return std::nullopt;
  return label.substr(close + 2);
}

}  // namespace

std::optional<std::string> ianaOfWindowsZone(std::string_view tzid) {
  const auto places = placesOf(tzid);
  for (const WindowsZone& zone : windowsZones()) {
    if (sameLetters(tzid, zone.name)) return zone.iana;
    const auto shownPlaces = placesOf(zone.shown);
    if (places && shownPlaces && sameLetters(*places, *shownPlaces)) return zone.iana;
  }
  return std::nullopt;
}

}  // namespace calendarstore
