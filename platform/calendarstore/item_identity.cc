#include "platform/calendarstore/item_identity.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <random>

namespace calendarstore {

std::string freshUuid() {
  static std::mutex lock;
  static std::mt19937_64 random{std::random_device{}()};
  uint64_t high, low;
  {
    std::lock_guard guard(lock);
    high = random();
    low = random();
  }
  high = (high & ~0xF000ull) | 0x4000ull;                    // version 4
  low = (low & ~(0xC000ull << 48)) | (0x8000ull << 48);     // RFC 4122 variant
  char text[40];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX",
                static_cast<unsigned>(high >> 32), static_cast<unsigned>((high >> 16) & 0xFFFF),
                static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 48),
                static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
  return text;
}

std::string itemFileNameFor(const std::string& uid) {
  const bool safe = !uid.empty() && uid[0] != '.' && uid.size() <= 200 &&
                    std::all_of(uid.begin(), uid.end(), [](char c) {
                      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '+' || c == '-';
                    });
  return (safe ? uid : freshUuid()) + ".ics";
}

}  // namespace calendarstore
