// The version query reads ZYLO_OS_VERSION each time it is asked.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/foundation/os_version.h"

namespace foundation {
namespace {

std::optional<int> minorWith(const char* value) {
  if (value) {
    ::setenv("ZYLO_OS_VERSION", value, 1);
  } else {
    ::unsetenv("ZYLO_OS_VERSION");
  }
  auto minor = environmentOsVersion()->minorVersion();
  ::unsetenv("ZYLO_OS_VERSION");
  return minor;
}

TEST(OsVersion, MinorOfTen) {
  EXPECT_EQ(minorWith("10.8"), 8);
  EXPECT_EQ(minorWith("10.9"), 9);
  EXPECT_EQ(minorWith("10.15"), 15);
  EXPECT_EQ(minorWith("10.9.0"), 9);
  EXPECT_EQ(minorWith("10.8.5"), 8);
}

TEST(OsVersion, UnsetOrUnreadableFails) {
  for (const char* value : {static_cast<const char*>(nullptr), "", "10", "10.", "11.2", "10.x",
                            "10.9.", "10.9.x", "10.9.1.2", "10.-1", "10.99999999999"}) {
    EXPECT_EQ(minorWith(value), std::nullopt) << (value ? value : "unset");
  }
}

}  // namespace
}  // namespace foundation
