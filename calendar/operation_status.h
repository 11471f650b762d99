// How a context operation reports a failure: the code goes to the
// process's last-error code, which only the external functions clear.
#ifndef ZYLO_CALENDAR_OPERATION_STATUS_H_
#define ZYLO_CALENDAR_OPERATION_STATUS_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "errors/last_error.h"

namespace zylo {

// Records `code` and answers the failure status -1.
inline int32_t failWith(int32_t code) {
  g_llasterror = code;
  return -1;
}

// The index that a position counted from 1 selects in a list of `count`
// elements; none when the position lies outside 1 to count.
inline std::optional<size_t> indexAt(int32_t position, size_t count) {
  if (position < 1 || static_cast<size_t>(position) > count) return std::nullopt;
  return static_cast<size_t>(position) - 1;
}

}  // namespace zylo

#endif  // ZYLO_CALENDAR_OPERATION_STATUS_H_
