#include "platform/calendarstore/settings_file.h"

#include <algorithm>

namespace calendarstore {
namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::map<std::string, Setting> parseSettings(std::string_view text, const std::filesystem::path& file,
                                             std::initializer_list<std::string_view> keys) {
  std::map<std::string, Setting> settings;
  int number = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    if (line.empty() || line.front() == '#') continue;
    const std::string at = file.string() + ":" + std::to_string(number) + ": ";
    const size_t equals = line.find('=');
    const std::string key(trimmed(line.substr(0, std::min(equals, line.size()))));
    if (equals == std::string_view::npos || key.empty()) throw SettingsError(at + "expected `key = value`.");
    const std::string_view value = trimmed(line.substr(equals + 1));
    if (std::find(keys.begin(), keys.end(), key) == keys.end())
      throw SettingsError(at + "`" + key + "` is no setting.");
    const std::string where = at + "`" + key + "`";
    if (value.empty()) throw SettingsError(where + " has no value.");
    if (settings.contains(key)) throw SettingsError(where + " is set a second time.");
    settings.emplace(key, Setting{std::string(value), where});
  }
  return settings;
}

}  // namespace calendarstore
