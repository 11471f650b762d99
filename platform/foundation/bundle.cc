#include "platform/foundation/bundle.h"

#include <fstream>
#include <iterator>
#include <string>

#include "platform/foundation/strings_file.h"

namespace foundation {

std::optional<String> Bundle::localizedString(std::u16string_view key,
                                              std::string_view table) const {
  std::ifstream file(folder_ / (std::string(table) + ".strings"), std::ios::binary);
  if (!file) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const auto entries = parseStringsFile(bytes);
  if (!entries) return std::nullopt;
  auto it = entries->find(key);
  if (it == entries->end()) return std::nullopt;
  return it->second;
}

}  // namespace foundation
