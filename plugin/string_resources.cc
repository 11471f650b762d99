#include "plugin/string_resources.h"

#include <algorithm>
#include <array>
#include <string>

#include "plugin/string_table.h"

namespace zylo {
namespace {

constexpr uint32_t kOptionsRequest = 131;
constexpr uint32_t kOptionsString = 1;

uint32_t remap(uint32_t n) { return n == kOptionsRequest ? kOptionsString : n; }

foundation::OptionalString lookUp(uint32_t n) {
  const foundation::StringsTable& table = stringTable();
  auto it = table.find(foundation::fromUtf8("Zylo " + std::to_string(n)));
  if (it == table.end()) return std::nullopt;
  return it->second;
}

}  // namespace

int32_t Sub_OSXLoadString(uint32_t n, FMX_Unichar* buffer, int32_t capacity) {
  if (!buffer || capacity < 1) return 0;
  // Without an answer the host would show whatever the buffer held.
  buffer[0] = 0;
  foundation::OptionalString entry = lookUp(n);
  if (!entry || static_cast<int64_t>(entry->size()) >= capacity - 1) return 0;
  std::copy(entry->begin(), entry->end(), buffer);
  buffer[entry->size()] = 0;
  return static_cast<int32_t>(entry->size());
}

void Do_GetString(uint32_t n, uint32_t /*language*/, int32_t capacity, FMX_Unichar* buffer) {
  Sub_OSXLoadString(remap(n), buffer, capacity);
}

void Do_GetString(uint32_t n, fmx::Text& text, bool strip) {
  std::array<FMX_Unichar, 1024> buffer{};
  Sub_OSXLoadString(remap(n), buffer.data(), static_cast<int32_t>(buffer.size()));
  text.assignUnicode(buffer.data());
  if (!strip) return;
  fmx::Text open;
  open.assign("(");
  uint32_t at = text.ref().find(open.ref(), 0);
  if (at != kFMX_NotFound) text.deleteText(at);
}

}  // namespace zylo
