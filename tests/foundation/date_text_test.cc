// Date text: built from fields and an offset, and read back.
#include <gtest/gtest.h>

#include "platform/foundation/date_text.h"

namespace foundation {
namespace {

using namespace std::chrono;

TEST(DateText, OffsetSignAndPadding) {
  const LocalDateTime noon{2026, 7, 1, 12, 0, 0};
  EXPECT_EQ(dateText(noon, 3600), u"2026-07-01 12:00:00 +0100");
  EXPECT_EQ(dateText(noon, -5 * 3600), u"2026-07-01 12:00:00 -0500");
  EXPECT_EQ(dateText(noon, 5 * 3600 + 1800), u"2026-07-01 12:00:00 +0530");
  EXPECT_EQ(dateText(noon, 0), u"2026-07-01 12:00:00 -0000");
  EXPECT_EQ(dateText({987, 1, 2, 3, 4, 5}, -9000), u"987-01-02 03:04:05 -0230");
}

TEST(DateText, ReadsTheTextForm) {
  const Date noonGmt = sys_days{year{2026} / 7 / 1} + 12h;
  EXPECT_EQ(dateWithString(u"2026-07-01 12:00:00 -0000"), noonGmt);
  EXPECT_EQ(dateWithString(u"2026-07-01 14:00:00 +0200"), noonGmt);
  EXPECT_EQ(dateWithString(u"2026-07-01 06:30:00 -0530"), noonGmt);
  EXPECT_EQ(dateWithString(u"2026-07-01  12:00:00   +0000"), noonGmt);
  EXPECT_EQ(dateWithString(u"2024-02-29 00:00:00 +0000"), sys_days{year{2024} / 2 / 29});
}

TEST(DateText, AnythingElseIsNoDate) {
  for (const char16_t* text :
       {u"", u"2026-07-01", u"2026-07-01 12:00:00", u"2026-07-01 12:00:00 0100",
        u"2026-07-01 12:00:00 +100", u"2026-07-01 12:00:00 +0100x", u"2026-7-01 12:00:00 +0100",
        u"2026-13-01 12:00:00 +0100", u"2025-02-29 12:00:00 +0100", u"2026-07-01 24:00:00 +0100",
        u"2026-07-01 12:60:00 +0100", u"2026-07-01 12:00:00 +0160", u"2026/07/01 12:00:00 +0100",
        u"x2026-07-01 12:00:00 +0100"}) {
    EXPECT_EQ(dateWithString(text), std::nullopt) << toUtf8(text);
  }
}

TEST(DateText, DescriptionReadsBackAsTheSameInstant) {
  const Date d = sys_days{year{2026} / 3 / 29} + 1h + 30min;
  for (int offset : {0, 3600, -5 * 3600, 5 * 3600 + 1800, 14 * 3600}) {
    EXPECT_EQ(dateWithString(describeDate(d, *fixedOffsetZone(offset))), d) << offset;
  }
}

}  // namespace
}  // namespace foundation
