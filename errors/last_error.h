// The last-error code of the call running on this thread: context
// operations set it when they fail; every external function clears it first
// and reads it at the end. A call runs on one thread from start to end; the
// session keeps the code between its calls (frame/session_scope.h).
#ifndef ZYLO_ERRORS_LAST_ERROR_H_
#define ZYLO_ERRORS_LAST_ERROR_H_

#include <cstdint>

namespace zylo {

extern thread_local int32_t g_llasterror;

}  // namespace zylo

#endif  // ZYLO_ERRORS_LAST_ERROR_H_
