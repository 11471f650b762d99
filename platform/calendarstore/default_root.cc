#include "platform/calendarstore/default_root.h"

#include <cstdlib>

namespace calendarstore {

std::filesystem::path defaultCalendarsRoot() {
  if (const char* root = std::getenv("ZYLO_CALENDARS"); root && *root) return root;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    return std::filesystem::path(data) / "zylo" / "calendars";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".local" / "share" / "zylo" / "calendars";
}

}  // namespace calendarstore
