// Where a test's store keeps its index: in a folder of the test's own,
// unless the suite runs without one (ZYLO_STORE_INDEX=off), so that both
// runs give the same answers.
#ifndef ZYLO_TESTS_INDEX_FOLDER_H_
#define ZYLO_TESTS_INDEX_FOLDER_H_

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

namespace zylo::testing {

inline bool indexIsOff() {
  // Read once: `useIndexFolderInChildren` changes the variable later.
  static const bool off = [] {
    const char* setting = std::getenv("ZYLO_STORE_INDEX");
    return setting && std::string_view(setting) == "off";
  }();
  return off;
}

inline std::optional<std::filesystem::path> testIndexFolder(const std::filesystem::path& own) {
  if (indexIsOff()) return std::nullopt;
  return own;
}

// The same for the zylo-host processes the test starts.
inline void useIndexFolderInChildren(const std::filesystem::path& own) {
  if (!indexIsOff()) ::setenv("ZYLO_STORE_INDEX", own.c_str(), 1);
}

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_INDEX_FOLDER_H_
