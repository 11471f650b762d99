#include <gtest/gtest.h>

#include "platform/foundation/string.h"

namespace foundation {
namespace {

TEST(Utf, RoundTripAndMalformedInput) {
  const std::string text = "Caf\xC3\xA9 \xF0\x9F\x93\x85";  // "Café 📅"
  EXPECT_EQ(fromUtf8(text), u"Caf\u00E9 \U0001F4C5");
  EXPECT_EQ(toUtf8(fromUtf8(text)), text);
  EXPECT_EQ(fromUtf8("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(fromUtf8("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong '/'
  EXPECT_EQ(toUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(CaseMapping, LettersBeyondAscii) {
  EXPECT_EQ(uppercased(u"short \u00E9t\u00E9"), u"SHORT \u00C9T\u00C9");
  EXPECT_EQ(lowercased(u"\u0414\u0415\u041D\u042C"), u"\u0434\u0435\u043D\u044C");
  EXPECT_TRUE(equalsIgnoringCase(u"TEXT", u"text"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u03A3", u"\u03C2"));
  EXPECT_FALSE(equalsIgnoringCase(u"text", u"texts"));
}

TEST(Split, KeepsEmptyPieces) {
  EXPECT_EQ(split(u"1\r2\r", u'\r'), (std::vector<String>{u"1", u"2", u""}));
  EXPECT_EQ(split(u"", u'\r'), (std::vector<String>{u""}));
}

TEST(Numbers, LeadingIntegerAfterWhiteSpace) {
  EXPECT_EQ(intValue(u"  42abc"), 42);
  EXPECT_EQ(intValue(u"-7"), -7);
  EXPECT_EQ(intValue(u"+3"), 3);
  EXPECT_EQ(intValue(u"x1"), 0);
  EXPECT_EQ(intValue(u""), 0);
  EXPECT_EQ(intValue(u"99999999999"), 2147483647);
  EXPECT_EQ(intValue(u"-99999999999"), -2147483647 - 1);
  EXPECT_FLOAT_EQ(floatValue(u" 0.5x"), 0.5f);
  EXPECT_FLOAT_EQ(floatValue(u"abc"), 0.0f);
}

}  // namespace
}  // namespace foundation
