// Where the calendars, and the store's index of them, live: from the
// environment, the administrator's configuration file, else the user's
// data and cache folders. Never relative: nothing lands in the working
// directory.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_
#define ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace calendarstore {

class VdirCalendarStore;

inline constexpr char kDefaultConfigFile[] = "/etc/zylo/zylo.conf";

// What the folders are found from; tests give their own.
class StoreEnvironment {
 public:
  virtual ~StoreEnvironment() = default;
  // The variable's value; absent when it is unset or empty.
  virtual std::optional<std::string> variable(const char* name) const = 0;
  // The home folder the password database gives this process's user.
  virtual std::optional<std::string> accountHome() const = 0;
  // The file's contents; absent, with `error` set, when it cannot be read.
  virtual std::optional<std::string> readFile(const std::filesystem::path& path,
                                              std::error_code& error) const = 0;
};

// The process's environment, password database and files. Thread-safe
// while nobody changes the environment.
std::shared_ptr<const StoreEnvironment> systemStoreEnvironment();

// A folder, and the existing folder below which its missing part may be
// made: the folder above a configured one, the data or home folder for a
// default one.
struct StoreFolder {
  std::filesystem::path path;  // absolute
  std::filesystem::path madeBelow;
};

struct StoreFolders {
  StoreFolder calendars;
  std::optional<StoreFolder> index;  // absent: every process parses every file
  // The sentence that tells an administrator how to choose the calendar folder.
  std::string howToSet;
};

// The calendar folder is $ZYLO_CALENDARS, else `calendars` in the
// configuration file ($ZYLO_CONFIG, else /etc/zylo/zylo.conf, which may be
// missing), else $XDG_DATA_HOME/zylo/calendars, else
// HOME/.local/share/zylo/calendars, HOME being $HOME, else the password
// database's. The index folder: $ZYLO_STORE_INDEX ("off" keeps none), else
// `index`, else $XDG_CACHE_HOME/zylo, else HOME/.cache/zylo, else none.
// Relative XDG and HOME values are passed over. Throws
// zylo::CalendarStoreException, saying what to set, when no calendar folder
// is found, a setting is relative, or the configuration file cannot be read
// or holds a bad line.
StoreFolders storeFolders(const StoreEnvironment& environment);

// The store over `folders`, with the system's zone, clock and files. A
// missing calendar folder is made when its `madeBelow` exists; otherwise,
// or when making it fails, throws zylo::CalendarStoreException. The index
// is left out when its `madeBelow` does not exist.
std::unique_ptr<VdirCalendarStore> openStore(const StoreFolders& folders);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_DEFAULT_ROOT_H_
