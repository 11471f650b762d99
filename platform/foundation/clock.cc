#include "platform/foundation/clock.h"

namespace foundation {
namespace {

class SystemClock final : public Clock {
 public:
  Date now() const override {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  }
};

class FixedClock final : public Clock {
 public:
  explicit FixedClock(Date now) : now_(now) {}
  Date now() const override { return now_; }

 private:
  Date now_;
};

}  // namespace

std::shared_ptr<const Clock> fixedClock(Date now) { return std::make_shared<const FixedClock>(now); }

std::shared_ptr<const Clock> systemClock() {
  static const auto clock = std::make_shared<const SystemClock>();
  return clock;
}

}  // namespace foundation
