// The plug-in's string table "Zylo": keys "Zylo <number>". Linux has no
// bundle to hold it, so the table written in Zylo.strings is compiled into
// the plug-in and read from there.
#ifndef ZYLO_PLUGIN_STRING_TABLE_H_
#define ZYLO_PLUGIN_STRING_TABLE_H_

#include <memory>
#include <string_view>

#include "platform/foundation/strings_file.h"

namespace zylo {

// The bytes of Zylo.strings as they were at build time.
std::string_view builtInStringsFile();

// The table lookups read: the built-in one unless a test installed another.
// An unreadable built-in file gives an empty table. REQUIRES: the plug-in's
// lock is held.
const foundation::StringsTable& stringTable();
// Replaces the table; null brings the built-in one back.
void installStringTable(std::shared_ptr<const foundation::StringsTable> table);

}  // namespace zylo

#endif  // ZYLO_PLUGIN_STRING_TABLE_H_
