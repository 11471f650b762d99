// A calendar's folder: its name is the calendar's uid; the files
// `displayname`, `color` and `description` hold its title, colour and notes.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_CALENDAR_FOLDER_H_
#define ZYLO_PLATFORM_CALENDARSTORE_CALENDAR_FOLDER_H_

#include <filesystem>
#include <optional>
#include <string>

#include "platform/foundation/color.h"
#include "platform/foundation/string.h"

namespace calendarstore {

struct CalendarInfo {
  std::string folderName;
  foundation::String title;  // the folder name when `displayname` is missing or empty
  std::optional<foundation::Color> color;
  foundation::OptionalString notes;
  bool isEditable = true;
};

CalendarInfo readCalendarInfo(const std::filesystem::path& folder);

// True for a name the store lists: not hidden.
bool isCalendarFolderName(const std::string& name);
// True for a file name that holds an item: NAME.ics, not hidden.
bool isItemFileName(const std::string& name);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_CALENDAR_FOLDER_H_
