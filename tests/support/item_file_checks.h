// The rules every item file the store writes must keep, checked on its
// bytes alone: CR LF line ends, lines folded at 75 octets, UTF-8 without
// control characters, a VTIMEZONE for each TZID, no libical or store
// markers, and VTIMEZONEs that do not carry a zone's whole history.
#ifndef ZYLO_TESTS_SUPPORT_ITEM_FILE_CHECKS_H_
#define ZYLO_TESTS_SUPPORT_ITEM_FILE_CHECKS_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/calendarstore/file_system.h"

namespace zylo::testing {

// What breaks the rules, one text per fault; empty when none does.
std::vector<std::string> itemFileFaults(std::string_view bytes);

// Forwards to `base`, and reports each iCalendar file it is asked to create
// that breaks the rules as a failure of the running test.
std::shared_ptr<calendarstore::FileSystem> checkingFileSystem(std::shared_ptr<calendarstore::FileSystem> base);

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_SUPPORT_ITEM_FILE_CHECKS_H_
