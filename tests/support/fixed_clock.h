// A clock that always answers the same instant, so no test depends on the
// machine's time.
#ifndef ZYLO_TESTS_SUPPORT_FIXED_CLOCK_H_
#define ZYLO_TESTS_SUPPORT_FIXED_CLOCK_H_

#include "platform/foundation/clock.h"

namespace zylo::testing {

class FixedClock : public foundation::Clock {
 public:
  explicit FixedClock(foundation::Date now) : now_(now) {}
  foundation::Date now() const override { return now_; }

 private:
  foundation::Date now_;
};

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_SUPPORT_FIXED_CLOCK_H_
