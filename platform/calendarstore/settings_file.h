// The administrator's configuration file: `key = value` lines, blank lines
// and comment lines starting with `#`. Spaces around keys and values are
// dropped; a value runs to the end of its line, so a path may hold spaces
// and `#`. Does not: quote, continue lines, expand variables or `~`.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_SETTINGS_FILE_H_
#define ZYLO_PLATFORM_CALENDARSTORE_SETTINGS_FILE_H_

#include <filesystem>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace calendarstore {

// Its text names the file and the line: "/etc/zylo/zylo.conf:3: ...".
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Setting {
  std::string value;  // never empty
  // "FILE:LINE: `key`", to begin an error about this setting with.
  std::string where;
};

// The settings of `text`, the contents of `file`. Throws SettingsError at
// the first line that is no `key = value`, names a key not in `keys`, has
// no value, or sets a key a second time.
std::map<std::string, Setting> parseSettings(std::string_view text, const std::filesystem::path& file,
                                             std::initializer_list<std::string_view> keys);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_SETTINGS_FILE_H_
