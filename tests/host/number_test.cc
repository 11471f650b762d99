#include <gtest/gtest.h>

#include <cmath>

#include "host/number_arithmetic.h"

namespace zylo::host {
namespace {

std::string read(std::u16string_view text) {
  std::optional<Number> n = Number::fromText(text);
  return n ? n->toString() : "none";
}

std::string str(std::optional<Number> n) { return n ? n->toString() : "none"; }

Number num(std::u16string_view text) { return *Number::fromText(text); }

TEST(NumberText, KeepsDigitsFirstPointAndLeadingMinus) {
  EXPECT_EQ(read(u"12abc3.5"), "123.5");
  EXPECT_EQ(read(u"-3.25"), "-3.25");
  EXPECT_EQ(read(u"1.2.3"), "1.23");
  EXPECT_EQ(read(u"1-2"), "12");
  EXPECT_EQ(read(u"$ -.5"), "-0.5");
  EXPECT_EQ(read(u"007.500"), "7.5");
  EXPECT_EQ(read(u"-0"), "0");
  EXPECT_EQ(read(u"abc"), "none");
  EXPECT_EQ(read(u"-."), "none");
  EXPECT_EQ(read(u""), "none");
}

TEST(NumberText, KeepsThirtyDigitsExactly) {
  EXPECT_EQ(read(u"123456789012345678901234567890"), "123456789012345678901234567890");
  EXPECT_EQ(read(u"0.000000000000000000000000000001"), "0.000000000000000000000000000001");
}

TEST(NumberDouble, RoundsToFifteenSignificantDigits) {
  EXPECT_EQ(Number::fromDouble(0.1).toString(), "0.1");
  EXPECT_EQ(Number::fromDouble(0.1 + 0.2).toString(), "0.3");
  EXPECT_EQ(Number::fromDouble(-2.5).toString(), "-2.5");
  EXPECT_EQ(Number::fromDouble(1e20).toString(), "100000000000000000000");
  EXPECT_EQ(Number::fromDouble(1.0 / 3).toString(), "0.333333333333333");
  EXPECT_EQ(Number::fromDouble(std::nan("")).toString(), "0");
  EXPECT_DOUBLE_EQ(num(u"-3.25").toDouble(), -3.25);
}

TEST(NumberTruncated, GoesTowardZeroAndClamps) {
  EXPECT_EQ(num(u"-7.9").truncated(), -7);
  EXPECT_EQ(num(u"7.9").truncated(), 7);
  EXPECT_EQ(num(u"99999999999999999999999").truncated(), INT64_MAX);
  EXPECT_EQ(num(u"-99999999999999999999999").truncated(), INT64_MIN);
}

TEST(NumberArithmetic, IsExactForDecimals) {
  EXPECT_EQ(add(num(u"0.1"), num(u"0.2")).toString(), "0.3");
  EXPECT_EQ(subtract(num(u"1"), num(u"0.75")).toString(), "0.25");
  EXPECT_EQ(multiply(num(u"1.5"), num(u"-0.2")).toString(), "-0.3");
  EXPECT_EQ(str(divide(num(u"1"), num(u"8"))), "0.125");
  EXPECT_EQ(str(divide(num(u"-7.5"), num(u"0.5"))), "-15");
  EXPECT_EQ(str(divide(num(u"3"), num(u"0.001"))), "3000");
}

TEST(NumberArithmetic, RoundsEndlessQuotients) {
  EXPECT_EQ(str(divide(num(u"1"), num(u"3"))), "0.33333333333333333333");
  EXPECT_EQ(str(divide(num(u"2"), num(u"3"))), "0.66666666666666666667");
  EXPECT_EQ(str(divide(num(u"-2"), num(u"3"))), "-0.66666666666666666667");
  EXPECT_EQ(str(divide(num(u"1"), num(u"0"))), "none");
}

TEST(NumberArithmetic, FallsBackToDoubleInsteadOfWrapping) {
  Number fine = num(u"0.123456789012345678901234567891");
  EXPECT_EQ(multiply(fine, fine).toString(), "0.0152415787532388");
  // Beyond the mantissa's range the result saturates rather than changing sign.
  Number big = num(u"100000000000000000000000000000000000");  // 10^35
  EXPECT_TRUE(compare(multiply(big, big), big) > 0);
  EXPECT_TRUE(compare(multiply(negate(big), big), negate(big)) < 0);
}

TEST(NumberArithmetic, ComparesAcrossScales) {
  EXPECT_TRUE(compare(num(u"2"), num(u"2.000")) == 0);
  EXPECT_TRUE(compare(num(u"-0.5"), num(u"0.25")) < 0);
  EXPECT_TRUE(compare(num(u"10"), num(u"9.99")) > 0);
}

}  // namespace
}  // namespace zylo::host
