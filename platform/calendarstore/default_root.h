// Where the user's calendars live when nobody says otherwise.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_
#define ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_

#include <filesystem>

namespace calendarstore {

// $ZYLO_CALENDARS, else $XDG_DATA_HOME/zylo/calendars, else
// ~/.local/share/zylo/calendars.
std::filesystem::path defaultCalendarsRoot();

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_
