// What every attribute reader checks first: something is current, and a
// property keyword was given.
#ifndef ZYLO_CALENDAR_READER_PRECONDITIONS_H_
#define ZYLO_CALENDAR_READER_PRECONDITIONS_H_

#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "platform/foundation/string.h"

namespace zylo {

// False, with 9000 when nothing is current or 9005 when no keyword came.
inline bool canRead(bool hasItem, const foundation::OptionalString& keyword) {
  if (!hasItem) {
    g_llasterror = kInvalidCallOrder;
    return false;
  }
  if (!keyword) {
    g_llasterror = kMissingArgument;
    return false;
  }
  return true;
}

}  // namespace zylo

#endif  // ZYLO_CALENDAR_READER_PRECONDITIONS_H_
