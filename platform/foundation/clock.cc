#include "platform/foundation/clock.h"

namespace foundation {
namespace {

class SystemClock final : public Clock {
 public:
  Date now() const override {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  }
};

}  // namespace

std::shared_ptr<const Clock> systemClock() {
  static const auto clock = std::make_shared<const SystemClock>();
  return clock;
}

}  // namespace foundation
