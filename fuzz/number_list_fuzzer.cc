// The number lists scripts pass for recurrence: any text gives a list.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/value_conversion.h"
#include "platform/foundation/string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = foundation::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  zylo::NSStringToNSArrayInt(text);
  return 0;
}
