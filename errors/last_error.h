// The last-error code of the process: context operations set it when they
// fail; every external function clears it first and reads it at the end.
#ifndef ZYLO_ERRORS_LAST_ERROR_H_
#define ZYLO_ERRORS_LAST_ERROR_H_

#include <cstdint>

namespace zylo {

// Used on the host's calculation thread only, without a lock.
extern int32_t g_llasterror;

// Clears the error object and the last-error code.
void ClearError();

}  // namespace zylo

#endif  // ZYLO_ERRORS_LAST_ERROR_H_
