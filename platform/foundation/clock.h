// The current time, behind an interface so tests control "now".
#ifndef ZYLO_PLATFORM_FOUNDATION_CLOCK_H_
#define ZYLO_PLATFORM_FOUNDATION_CLOCK_H_

#include <memory>

#include "platform/foundation/date.h"

namespace foundation {

// Thread-safe.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Date now() const = 0;
};

std::shared_ptr<const Clock> systemClock();
// A clock that always answers `now` (tests, benchmarks, fuzzing).
std::shared_ptr<const Clock> fixedClock(Date now);

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_CLOCK_H_
