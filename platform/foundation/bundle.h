// A bundle folder and its localized string tables (NAME.strings files of
// "key" = "value"; lines, UTF-8 or UTF-16 with a byte-order mark).
//
// Not provided: language folders, plural rules and cached tables: a table is
// read on every lookup.
#ifndef ZYLO_PLATFORM_FOUNDATION_BUNDLE_H_
#define ZYLO_PLATFORM_FOUNDATION_BUNDLE_H_

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/foundation/string.h"

namespace foundation {

class Bundle {
 public:
  explicit Bundle(std::filesystem::path folder) : folder_(std::move(folder)) {}
  const std::filesystem::path& folder() const { return folder_; }
  // The value for `key` in table `table` (the file TABLE.strings in the
  // bundle's folder); none when the table or the key is missing.
  std::optional<String> localizedString(std::u16string_view key, std::string_view table) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_BUNDLE_H_
