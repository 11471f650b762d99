// The text of a .strings table: lines of "key" = "value"; with /* */ and //
// comments, read in UTF-8 or, after a byte-order mark, UTF-16.
#ifndef ZYLO_PLATFORM_FOUNDATION_STRINGS_FILE_H_
#define ZYLO_PLATFORM_FOUNDATION_STRINGS_FILE_H_

#include <map>
#include <optional>
#include <string_view>

#include "platform/foundation/string.h"

namespace foundation {

using StringsTable = std::map<String, String, std::less<>>;

// The entries of a table's bytes; none when the text is not a table. Of a
// key given twice the last value counts. Escapes inside quotes: \" \\ \n \t
// \r and \Uxxxx.
std::optional<StringsTable> parseStringsFile(std::string_view bytes);

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_STRINGS_FILE_H_
