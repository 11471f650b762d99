#include "plugin/string_table.h"

namespace zylo {
namespace {

std::shared_ptr<const foundation::StringsTable> builtInTable() {
  static const auto table = std::make_shared<const foundation::StringsTable>(
      foundation::parseStringsFile(builtInStringsFile()).value_or(foundation::StringsTable{}));
  return table;
}

std::shared_ptr<const foundation::StringsTable>& installed() {
  static std::shared_ptr<const foundation::StringsTable> table;
  return table;
}

}  // namespace

const foundation::StringsTable& stringTable() {
  if (!installed()) installed() = builtInTable();
  return *installed();
}

void installStringTable(std::shared_ptr<const foundation::StringsTable> table) {
  installed() = std::move(table);
}

}  // namespace zylo
