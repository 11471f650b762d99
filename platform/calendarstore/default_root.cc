#include "platform/calendarstore/default_root.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/calendarstore/settings_file.h"
#include "platform/calendarstore/vdir_calendar_store.h"

namespace calendarstore {
namespace fs = std::filesystem;
using zylo::CalendarStoreException;

namespace {

class SystemStoreEnvironment final : public StoreEnvironment {
 public:
  std::optional<std::string> variable(const char* name) const override {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return value;
  }

  std::optional<std::string> accountHome() const override {
    std::vector<char> buffer(1024);
    for (;;) {
      passwd entry{};
      passwd* found = nullptr;
      const int rc = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
      if (rc == ERANGE && buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
        continue;
      }
      if (rc != 0 || !found || !found->pw_dir || !*found->pw_dir) return std::nullopt;
      return found->pw_dir;
    }
  }

  std::optional<std::string> readFile(const fs::path& path, std::error_code& error) const override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failed(errno, error);
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) != 0) {
      if (n > 0) {
        text.append(chunk, size_t(n));
      } else if (errno != EINTR) {
        break;
      }
    }
    const int readError = n < 0 ? errno : 0;
    ::close(fd);
    if (readError) return failed(readError, error);
    return text;
  }

 private:
  static std::nullopt_t failed(int errnoValue, std::error_code& error) {
    error.assign(errnoValue, std::generic_category());
    return std::nullopt;
  }
};

foundation::String words(const std::string& utf8) { return foundation::fromUtf8(utf8); }

// Resolves one folder in the order: variable, configuration file, XDG
// variable, home.
class FolderFinder {
 public:
  explicit FolderFinder(const StoreEnvironment& environment) : environment_(environment) {
    auto named = environment.variable("ZYLO_CONFIG");
    configVariable_ = named.has_value();
    configFile_ = named ? fs::path(*named) : fs::path(kDefaultConfigFile);
    if (!configFile_.is_absolute()) fail("ZYLO_CONFIG", *named);
  }

  const fs::path& configFile() const { return configFile_; }

  // The folder `variable` names, absent when it is unset.
  std::optional<StoreFolder> fromVariable(const char* variable) const {
    auto value = environment_.variable(variable);
    if (!value) return std::nullopt;
    return configured(*value, variable);
  }

  // The folder the configuration file sets under `key`, absent when the file
  // (the default one) is missing or does not set it.
  std::optional<StoreFolder> fromFile(const std::string& key) {
    const Setting* setting = settingOf(key);
    if (!setting) return std::nullopt;
    return configured(setting->value, setting->where);
  }

  // The variable or, when it is unset, the file's setting is "off".
  bool off(const char* variable, const std::string& key) {
    if (auto value = environment_.variable(variable)) return *value == "off";
    const Setting* setting = settingOf(key);
    return setting && setting->value == "off";
  }

  // `relative` below the XDG folder `variable`, else below the home folder's
  // `fallback`.
  std::optional<StoreFolder> fromUserFolders(const char* variable, const fs::path& fallback,
                                             const fs::path& relative) const {
    if (auto base = absolute(environment_.variable(variable))) return StoreFolder{*base / relative, *base};
    auto home = absolute(environment_.variable("HOME"));
    if (!home) home = absolute(environment_.accountHome());
    if (!home) return std::nullopt;
    return StoreFolder{*home / fallback / relative, *home};
  }

 private:
  const Setting* settingOf(const std::string& key) {
    if (!settings_) settings_ = read();
    auto it = settings_->find(key);
    return it == settings_->end() ? nullptr : &it->second;
  }

  static std::optional<fs::path> absolute(const std::optional<std::string>& value) {
    if (!value || !fs::path(*value).is_absolute()) return std::nullopt;
    return fs::path(*value).lexically_normal();
  }

  [[noreturn]] static void fail(const std::string& what, const std::string& value) {
    throw CalendarStoreException(words(what + " must be an absolute path, not \"" + value + "\"."));
  }

  static StoreFolder configured(const std::string& value, const std::string& what) {
    const fs::path path = fs::path(value).lexically_normal();
    if (!path.is_absolute()) fail(what, value);
    const fs::path folder = path.has_filename() ? path : path.parent_path();
    return {folder, folder.parent_path()};
  }

  std::map<std::string, Setting> read() const {
    std::error_code error;
    std::optional<std::string> text = environment_.readFile(configFile_, error);
    if (!text && error == std::errc::no_such_file_or_directory && !configVariable_) return {};
    if (!text) {
      throw CalendarStoreException(words("The configuration file " + configFile_.string() +
                                         " cannot be read: " + error.message() + "."));
    }
    try {
      return parseSettings(*text, configFile_, {"calendars", "index"});
    } catch (const SettingsError& e) {
      throw CalendarStoreException(words(e.what()));
    }
  }

  const StoreEnvironment& environment_;
  fs::path configFile_;
  bool configVariable_;
  std::optional<std::map<std::string, Setting>> settings_;
};

}  // namespace

std::shared_ptr<const StoreEnvironment> systemStoreEnvironment() {
  static const auto environment = std::make_shared<const SystemStoreEnvironment>();
  return environment;
}

StoreFolders storeFolders(const StoreEnvironment& environment) {
  FolderFinder finder(environment);
  const std::string whatToSet = "ZYLO_CALENDARS or `calendars` in " + finder.configFile().string() + ".";
  std::optional<StoreFolder> calendars = finder.fromVariable("ZYLO_CALENDARS");
  if (!calendars) calendars = finder.fromFile("calendars");
  if (!calendars) calendars = finder.fromUserFolders("XDG_DATA_HOME", ".local/share", "zylo/calendars");
  if (!calendars) throw CalendarStoreException(words("No calendar folder is set: set " + whatToSet));

  StoreFolders folders{*calendars, std::nullopt, "Set " + whatToSet};
  if (finder.off("ZYLO_STORE_INDEX", "index")) return folders;
  folders.index = finder.fromVariable("ZYLO_STORE_INDEX");
  if (!folders.index) folders.index = finder.fromFile("index");
  if (!folders.index) folders.index = finder.fromUserFolders("XDG_CACHE_HOME", ".cache", "zylo");
  return folders;
}

std::unique_ptr<VdirCalendarStore> openStore(const StoreFolders& folders) {
  const fs::path& root = folders.calendars.path;
  std::error_code error;
  if (!fs::exists(root, error)) {
    if (!fs::is_directory(folders.calendars.madeBelow, error)) {
      throw CalendarStoreException(words("The calendar folder " + root.string() + " does not exist, nor does " +
                                         folders.calendars.madeBelow.string() + " to make it in. " +
                                         folders.howToSet));
    }
    fs::create_directories(root, error);
    if (error) {
      throw CalendarStoreException(words("The calendar folder " + root.string() + " cannot be made: " +
                                         error.message() + ". " + folders.howToSet));
    }
  }
  std::optional<fs::path> index;
  if (folders.index && fs::is_directory(folders.index->madeBelow, error)) index = folders.index->path;
  return std::make_unique<VdirCalendarStore>(root, foundation::systemDefaultZone(), foundation::systemClock(),
                                             systemFileSystem(), index);
}

}  // namespace calendarstore
