#include "platform/foundation/date.h"

#include "platform/foundation/civil_days.h"

namespace foundation {
namespace {

constexpr Date midnightOfNewYear(int year) {
  return Date{std::chrono::days{daysFromCivil(year, 1, 1)}};
}

}  // namespace

Date distantPast() { return midnightOfNewYear(1); }
Date distantFuture() { return midnightOfNewYear(4001); }

}  // namespace foundation
