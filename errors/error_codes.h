// The plug-in's error codes and their fixed messages.
#ifndef ZYLO_ERRORS_ERROR_CODES_H_
#define ZYLO_ERRORS_ERROR_CODES_H_

#include <cstdint>

#include "platform/foundation/string.h"

namespace zylo {

enum ErrorCode : int32_t {
  kSuccess = 0,
  kInvalidCallOrder = 9000,
  kItemNotFound = 9001,
  kIndexOutOfBounds = 9002,
  kNoEventPredicate = 9003,
  kNoCalendarArray = 9004,
  kMissingArgument = 9005,
  kInvalidArgument = 9006,
  kNoTaskPredicate = 9007,
  kNoAlarms = 9008,
  kCannotCreateItem = 9009,
  kNoRecurrenceEnd = 9010,
  kNoRecurrenceRule = 9011,
  kItemNotCreated = 9012,
  kCalendarNotFound = 9013,
  kNoCalendar = 9014,
  kUnsupportedSystem = 9015,
  kUnsupportedParameter = 9016,
  kStoreRefused = 9998,
  kStoreException = 9999,
  kInvalidParameterCount = -3,
  kInvalidParameterValue = -4,
  kLibraryNotLoaded = -200,
  kFileNotFound = -300,
  kFileNotFoundToo = -301,
  kFolderNotAccessible = -302,
  kSystemError = -400,
  kUnknownException = -998,
  kComException = -999,
};

// The message of a code; "Undefined Error." for a code without one.
foundation::String messageForCode(int32_t code);

}  // namespace zylo

#endif  // ZYLO_ERRORS_ERROR_CODES_H_
