// How the host converts its values into one another.
#include <gtest/gtest.h>

#include "platform/fmx/host/host_api.h"

namespace {

using fmxhost::Date;
using fmxhost::Number;
using fmxhost::Time;
using fmxhost::Timestamp;
using fmxhost::Value;

TEST(HostValues, TextOfEveryType) {
  EXPECT_EQ(Value{}.asText(), u"");
  EXPECT_EQ(Value{Number::fromInt(-42)}.asText(), u"-42");
  EXPECT_EQ((Value{Date{2026, 7, 1}}.asText()), u"7/1/2026");
  EXPECT_EQ((Value{Time{9, 5, 3, 0}}.asText()), u"9:05:03");
  EXPECT_EQ((Value{Timestamp{{2026, 7, 1}, {13, 0, 0, 0}}}.asText()), u"7/1/2026 13:00:00");
}

TEST(HostValues, DatesCountFromYearOne) {
  EXPECT_EQ((Value{Date{1, 1, 1}}.asNumber().truncated()), 1);
  EXPECT_EQ((Value{Timestamp{{1, 1, 2}, {0, 0, 1, 0}}}.asNumber().truncated()), 86401);
  auto back = Value{Value{Timestamp{{2026, 7, 1}, {13, 0, 0, 0}}}.asNumber()}.asTimestamp();
  ASSERT_TRUE(back);
  EXPECT_EQ((Value{*back}.asText()), u"7/1/2026 13:00:00");
}

TEST(HostValues, TimestampFromText) {
  for (const char16_t* text : {u"2026-07-01 13:05:09", u"7/1/2026 13:05:09", u" 07/01/2026 13:05:09 "}) {
    auto ts = Value{std::u16string(text)}.asTimestamp();
    ASSERT_TRUE(ts);
    EXPECT_EQ(ts->date.year, 2026);
    EXPECT_EQ(ts->time.second, 9);
  }
  EXPECT_TRUE(Value{std::u16string(u"2026-07-01")}.asTimestamp());
  for (const char16_t* text : {u"", u"tomorrow", u"2026-02-30 10:00:00", u"2026-07-01 24:00:00",
                               u"7/1/2026 13:05:09 PM", u"13/1/2026"}) {
    EXPECT_FALSE(Value{std::u16string(text)}.asTimestamp());
  }
}

}  // namespace
