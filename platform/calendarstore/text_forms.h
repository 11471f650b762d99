// Texts as an item file holds them and as the host holds them. The host
// breaks lines with a carriage return; iCalendar texts break them with a
// line feed (written escaped, "\n"), and allow no other control character.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_TEXT_FORMS_H_
#define ZYLO_PLATFORM_CALENDARSTORE_TEXT_FORMS_H_

#include <string>
#include <string_view>

#include "platform/foundation/string.h"

namespace calendarstore {

// UTF-8 for a file: every line break (CR LF, CR, LF) becomes one LF; other
// control characters but the tab are dropped, since files may not hold them.
std::string fileText(std::u16string_view hostText);

// The host's form of a text a file holds: every line break (CR LF, CR, LF)
// becomes one CR.
foundation::String hostText(std::string_view fileText);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_TEXT_FORMS_H_
