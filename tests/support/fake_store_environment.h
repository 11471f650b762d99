// An environment of the test's own making for finding the store's folders:
// its variables, its account home and its files, nothing of the machine's.
#ifndef ZYLO_TESTS_SUPPORT_FAKE_STORE_ENVIRONMENT_H_
#define ZYLO_TESTS_SUPPORT_FAKE_STORE_ENVIRONMENT_H_

#include <map>
#include <string>

#include "platform/calendarstore/default_root.h"

namespace zylo::testing {

class FakeStoreEnvironment final : public calendarstore::StoreEnvironment {
 public:
  std::optional<std::string> variable(const char* name) const override {
    auto it = variables.find(name);
    if (it == variables.end() || it->second.empty()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> accountHome() const override { return home; }
  std::optional<std::string> readFile(const std::filesystem::path& path, std::error_code& error) const override {
    if (auto it = files.find(path); it != files.end()) return it->second;
    auto refused = unreadable.find(path);
    error = std::make_error_code(refused != unreadable.end() ? refused->second : std::errc::no_such_file_or_directory);
    return std::nullopt;
  }

  std::map<std::string, std::string> variables;
  std::optional<std::string> home;
  std::map<std::filesystem::path, std::string> files;
  std::map<std::filesystem::path, std::errc> unreadable;
};

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_SUPPORT_FAKE_STORE_ENVIRONMENT_H_
