// The version and last-error functions, on supported and newer systems.
#include <gtest/gtest.h>

#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "platform/fmx/fmx.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

// Fails the way a context operation does: it leaves 9001.
FMX_Err failWithItemNotFound(int16_t, const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    frame.clearErrors();
    g_llasterror = 9001;
    frame.finish();
  });
}

class VersionFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fmx::QuadChar plugin('T', 'e', 's', 't');
    fmx::Text name;
    name.assign("FailWithItemNotFound");
    fmx::registerExternalFunction(plugin, 1, name, name, 0, 0, 0, failWithItemNotFound);
  }
  TestHost host_;
};

TEST_F(VersionFunctionsTest, VersionFormats) {
  EXPECT_EQ(textOf(host_.call(u"Zylo_Version")), u"" ZYLO_VERSION);
  for (auto format : {u"short", u"Short", u"SHORT"}) {
    EXPECT_EQ(textOf(host_.call(u"Zylo_Version", {text(format)})), u"" ZYLO_VERSION);
  }
  for (auto format : {u"long", u"", u"shortly"}) {
    EXPECT_EQ(textOf(host_.call(u"Zylo_Version", {text(format)})), u"Tessaly " ZYLO_VERSION);
  }
}

TEST_F(VersionFunctionsTest, LastErrorReportsThePreviousFailureUntilTheNextCall) {
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError")), u"Success");
  EXPECT_EQ(textOf(host_.call(u"FailWithItemNotFound")), u"!!ERROR!!");
  EXPECT_EQ(host_.call(u"Zylo_GetLastError", {text(u"number")}).asText(), u"9001");
  EXPECT_EQ(host_.call(u"Zylo_GetLastError", {text(u"number")}).nativeType(), kFMX_TypeNumber);
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError", {text(u"TEXT")})), u"Item not found.");
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError", {text(u"")})), u"Item not found.");
  host_.call(u"Zylo_Version");
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError")), u"Success");
  EXPECT_EQ(host_.call(u"Zylo_GetLastError", {text(u"number")}).asText(), u"0");
}

TEST(VersionFunctionsOnNewerSystem, ContextFunctionsRefuseAndVersionWorks) {
  PlatformServices services = testPlatform();
  services.osVersion = std::make_shared<FixedOsVersion>(9);
  TestHost host(services);
  EXPECT_EQ(textOf(host.call(u"Zylo_GetItemCountForType", {text(u"event")})), u"!!ERROR!!");
  EXPECT_EQ(textOf(host.call(u"Zylo_GetLastError")), u"This operating system is not supported.");
  EXPECT_EQ(host.call(u"Zylo_GetLastError", {text(u"number")}).asText(), u"9015");
  EXPECT_EQ(textOf(host.call(u"Zylo_Version")), u"" ZYLO_VERSION);
  EXPECT_EQ(textOf(host.call(u"Zylo_GetLastError")), u"Success");
}

}  // namespace
}  // namespace zylo::testing
