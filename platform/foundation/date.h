// An absolute point in time, in whole seconds since 1970-01-01 UTC.
#ifndef ZYLO_PLATFORM_FOUNDATION_DATE_H_
#define ZYLO_PLATFORM_FOUNDATION_DATE_H_

#include <chrono>

namespace foundation {

using Date = std::chrono::sys_seconds;

// The bounds a range without a start or end stands for:
// 0001-01-01 00:00:00 UTC and 4001-01-01 00:00:00 UTC.
Date distantPast();
Date distantFuture();

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_DATE_H_
