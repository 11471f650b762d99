// Where the user's calendars, and the store's index of them, live when
// nobody says otherwise.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_
#define ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_

#include <filesystem>
#include <optional>

namespace calendarstore {

// $ZYLO_CALENDARS, else $XDG_DATA_HOME/zylo/calendars, else
// ~/.local/share/zylo/calendars.
std::filesystem::path defaultCalendarsRoot();

// $ZYLO_STORE_INDEX (none when it is "off": every process parses every
// file), else $XDG_CACHE_HOME/zylo, else ~/.cache/zylo.
std::optional<std::filesystem::path> defaultIndexFolder();

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_
