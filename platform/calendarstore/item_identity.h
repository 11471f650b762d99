// Identifiers the store makes: fresh UIDs, and the file name an item gets.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_IDENTITY_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_IDENTITY_H_

#include <string>

namespace calendarstore {

// A random (version 4) UUID in upper case.
std::string freshUuid();

// NAME.ics for an item of `uid`: the UID itself when it is made only of
// letters, digits and "_.+-" and does not start with a dot, else a fresh
// UUID, so that no UID can lead a write out of its folder.
std::string itemFileNameFor(const std::string& uid);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_IDENTITY_H_
