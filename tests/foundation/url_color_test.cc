#include <gtest/gtest.h>

#include "platform/foundation/color.h"
#include "platform/foundation/url.h"

namespace foundation {
namespace {

TEST(Url, AcceptsWhatAUrlCanHold) {
  for (const char16_t* text : {u"https://example.org/a?b=c#d", u"mailto:a@b.c", u"relative/path",
                               u"http://h/%20x", u"https://de.wikipedia.org/wiki/Stra\u00DFe",
                               u"https://b\u00FCcher.example/\u4F1A\u8B70?q=\U0001F600"}) {
    auto url = Url::withString(text);
    ASSERT_TRUE(url) << toUtf8(text);
    EXPECT_EQ(url->absoluteString(), text);
  }
  for (const char16_t* text : {u"", u"has space", u"http://h/%2", u"http://h/%zz", u"1http://x",
                               u"a<b", u"http://h/\u0085", u"http://h/\xD800", u"http://h/\uFFFF"}) {
    EXPECT_FALSE(Url::withString(text)) << toUtf8(text);
  }
}

TEST(Color, HexBothWays) {
  auto c = Color::fromHex("#FF8000");
  ASSERT_TRUE(c);
  EXPECT_FLOAT_EQ(c->red, 1.0f);
  EXPECT_FLOAT_EQ(c->alpha, 1.0f);
  EXPECT_EQ(c->toHex(), "#FF8000");
  EXPECT_FLOAT_EQ(Color::fromHex("#00000080")->alpha, 128.0f / 255.0f);
  for (const char* bad : {"FF8000", "#FF80", "#GG8000", "#FF800000FF"}) {
    EXPECT_FALSE(Color::fromHex(bad)) << bad;
  }
}

}  // namespace
}  // namespace foundation
