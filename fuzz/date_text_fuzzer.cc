// The date text parser: any input gives a date or none, and a date it reads
// is written back as text that reads as the same date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/foundation/date_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = foundation::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto date = foundation::dateWithString(text);
  if (!date) return 0;
  // Years past the calendar's range are written as they come; within it the
  // round trip must hold.
  const auto fields = foundation::splitGregorian(*date, *foundation::fixedOffsetZone(0));
  if (fields.year >= 1 && fields.year <= 9999) {
    const auto again = foundation::dateWithString(foundation::describeDate(*date, *foundation::fixedOffsetZone(0)));
    if (again != date) std::abort();
  }
  return 0;
}
