// The SDK's operations as the plug-in uses them through the wrappers.
#include <gtest/gtest.h>

#include "platform/fmx/fmx.h"
#include "platform/fmx/host/host_api.h"

namespace {

std::u16string unitsOf(const fmx::Text& t) { return fmxhost::textOf(t.get()); }

TEST(SdkText, AssignInEveryEncoding) {
  fmx::Text t;
  t.assign("Caf\xC3\xA9");
  EXPECT_EQ(unitsOf(t), u"Caf\u00E9");
  t.assign("Caf\xC3\xA9", kFMX_EncodingASCII);
  EXPECT_EQ(unitsOf(t), u"Caf\uFFFD\uFFFD");
  t.assignWide(L"SHORT \U0001F4C5");
  EXPECT_EQ(unitsOf(t), u"SHORT \U0001F4C5");
  EXPECT_EQ(t.size(), 8u);
  const char16_t units[] = u"abc";
  t.assignUnicodeWithLength(units, 2);
  EXPECT_EQ(unitsOf(t), u"ab");
  t.assignUnicode(units);
  EXPECT_EQ(unitsOf(t), u"abc");
}

TEST(SdkText, FindDeleteUppercaseAndCompare) {
  fmx::Text t, open, copy;
  t.assign("Zylo_Version( { format } )");
  open.assign("(");
  const uint32_t at = t.ref().find(open.ref(), 0);
  EXPECT_EQ(at, 12u);
  EXPECT_EQ(t.ref().find(open.ref(), 13), kFMX_NotFound);
  copy.setText(t.ref());
  t.deleteText(at);
  EXPECT_EQ(unitsOf(t), u"Zylo_Version");
  copy.setText(t.ref(), 5, 3);
  copy.uppercase();
  EXPECT_EQ(unitsOf(copy), u"VER");
  fmx::Text same;
  same.assign("VER");
  EXPECT_TRUE(copy.ref() == same.ref());
  char16_t out[3] = {u'x', u'x', u'x'};
  copy.ref().getUnicode(out, 1, 2);
  EXPECT_EQ(std::u16string(out, 3), u"ERx");
  EXPECT_THROW(copy.ref().getUnicode(out, 2, 2), fmx::HostFailure);
}

TEST(SdkDateTime, NormalizesCarryOver) {
  fmx::DateTime dt;
  dt.setNormalizedDate(13, 1, 2026);
  EXPECT_EQ(dt.ref().year(), 2027);
  EXPECT_EQ(dt.ref().month(), 1);
  dt.setNormalizedDate(3, 0, 2024);
  EXPECT_EQ(dt.ref().month(), 2);
  EXPECT_EQ(dt.ref().day(), 29);
  dt.setNormalizedTime(25, 61, 0, 0);
  EXPECT_EQ(dt.ref().day(), 1);
  EXPECT_EQ(dt.ref().month(), 3);
  EXPECT_EQ(dt.ref().hour(), 2);
  EXPECT_EQ(dt.ref().minute(), 1);
  EXPECT_THROW(dt.setNormalizedDate(1, 1, 0), fmx::HostFailure);
}

TEST(SdkNumbers, IntegersInAndOut) {
  fmx::FixPt n(0, 16);
  EXPECT_EQ(n.asLong(), 0);
  n.assignInt(-2147483647 - 1);
  EXPECT_EQ(n.asLong(), -2147483647 - 1);
}

// The library writes the error block on failure only, the code at offset 4;
// the version the caller set is never touched.
TEST(SdkErrorBlock, WrittenOnFailureOnly) {
  fmx::Text text;
  FMX_ErrorBlock block{kFMX_ErrorBlockVersion, 12345};
  EXPECT_EQ(FM_Text_GetSize(text.get(), &block), 0u);
  EXPECT_EQ(block.code, 12345);
  unsigned char raw[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(FM_Text_GetSize(nullptr, reinterpret_cast<FMX_ErrorBlock*>(raw)), 0u);
  EXPECT_EQ(raw[0], 1);
  EXPECT_EQ(raw[4], kFMX_Failure);
}

int16_t lastFunctionId = 0;

// A function of the test's own, registered and called the way the host does.
FMX_Err answerParameters(int16_t functionId, const FM_ExprEnv*, const FM_DataVect* parms, FM_Data* result) {
  lastFunctionId = functionId;
  fmx::DataVectRef params(parms);
  fmx::Text answer;
  std::u16string text;
  for (uint32_t i = 0; i < params.size(); ++i) {
    text += fmxhost::textOf(params.atAsText(i).get()) + u"/" +
            std::u16string(1, static_cast<char16_t>(u'0' + params.atAsNumber(i).asLong() % 10));
  }
  answer.assignUnicode(text.c_str());
  fmx::DataRef(result).setAsText(answer.ref(), params.size() ? params.localeAt(0) : nullptr);
  return 0;
}

TEST(SdkCalls, ParametersResultsAndFailures) {
  fmxhost::resetRegistry();
  fmx::QuadChar id('T', 'e', 's', 't');
  fmx::Text name;
  name.assign("Answer");
  fmx::registerExternalFunction(id, 7, name, name, 0, 2, 0xFF01, answerParameters);
  fmx::registerExternalFunction(id, 7, name, name, 0, 3, 0xFF01, answerParameters);
  ASSERT_EQ(fmxhost::registeredFunctions().size(), 1u);
  EXPECT_EQ(fmxhost::registeredFunctions()[0].maxArgs, 3);

  const fmxhost::Function* f = fmxhost::findFunction(u"ANSWER");
  ASSERT_NE(f, nullptr);
  auto outcome = fmxhost::callFunction(*f, {{u"12x"}, {fmxhost::Number::fromInt(7)}});
  EXPECT_EQ(outcome.result.asText(), u"12x/2" u"7/7");
  EXPECT_EQ(lastFunctionId, 7);
  // No locale: the host reports the failure, the wrapper throws.
  EXPECT_THROW(
      {
        fmx::Data d;
        fmx::Text t;
        d.ref().setAsText(t.ref(), nullptr);
      },
      fmx::HostFailure);
  EXPECT_THROW(fmx::DataVectRef(nullptr).size(), fmx::HostFailure);

  EXPECT_EQ(fmx::unRegisterExternalFunction(id, 2), kFMX_Failure);
  EXPECT_EQ(fmx::unRegisterExternalFunction(id, 7), kFMX_NoError);
  EXPECT_EQ(fmxhost::findFunction(u"Answer"), nullptr);
}

}  // namespace
