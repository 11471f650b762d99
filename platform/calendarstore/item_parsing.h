// An item file parsed by libical, with the texts as the file holds them.
// libical's parser trims the blanks that open and close every value; the
// titles, notes and locations get theirs back from the file's lines.
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_PARSING_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_PARSING_H_

#include <string_view>

#include "platform/calendarstore/ical_ptr.h"

namespace calendarstore {

// libical's reading of `bytes` (null when it reads nothing), its SUMMARY,
// DESCRIPTION and LOCATION values blanks included.
ComponentPtr parseItemText(std::string_view bytes);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_PARSING_H_
