#include "platform/calendarstore/default_root.h"

#include <cstdlib>
#include <string_view>

namespace calendarstore {

std::filesystem::path defaultCalendarsRoot() {
  if (const char* root = std::getenv("ZYLO_CALENDARS"); root && *root) return root;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    return std::filesystem::path(data) / "zylo" / "calendars";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".local" / "share" / "zylo" / "calendars";
}

std::optional<std::filesystem::path> defaultIndexFolder() {
  if (const char* index = std::getenv("ZYLO_STORE_INDEX"); index && *index) {
    if (std::string_view(index) == "off") return std::nullopt;
    return index;
  }
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) {
    return std::filesystem::path(cache) / "zylo";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".cache" / "zylo";
}

}  // namespace calendarstore
