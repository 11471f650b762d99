// The error object's texts.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "errors/plugin_error.h"

namespace zylo {
namespace {

TEST(ErrorObject, ClearedSaysSuccess) {
  zylo_PluginError e;
  EXPECT_EQ(e.getError(), u"Success");
  e.setError(9001, 0, std::nullopt);
  e.clearError();
  EXPECT_EQ(e.getError(), u"Success");
  EXPECT_EQ(e.getErrorNumber(), u"0");
}

TEST(ErrorObject, RecordedCodeGivesItsMessage) {
  zylo_PluginError e;
  e.setError(9001, 0, std::nullopt);
  EXPECT_EQ(e.getError(), u"Item not found.");
  EXPECT_EQ(e.getErrorNumber(), u"9001");
  e.setError(0, 0, std::nullopt);
  EXPECT_EQ(e.getError(), u"SUCCESS");
}

TEST(ErrorObject, CodesWithoutMessageAreUndefined) {
  for (int32_t code : {9998, 9999, 8999, -5}) {
    zylo_PluginError e;
    e.setError(code, 0, std::nullopt);
    EXPECT_EQ(e.getError(), u"Undefined Error.") << code;
  }
}

TEST(ErrorObject, SharedMessages) {
  EXPECT_EQ(messageForCode(9009), messageForCode(9012));
  EXPECT_EQ(messageForCode(-300), messageForCode(-301));
  EXPECT_EQ(messageForCode(-998), u"Unknown Exception");
  EXPECT_EQ(messageForCode(9015), u"This operating system is not supported.");
}

TEST(ErrorObject, DescriptionFollowsTheMessageAndIsClearedByTheNextError) {
  zylo_PluginError e;
  e.setError(9006, 0, u"bad colour");
  EXPECT_EQ(e.getError(), u"Invalid argument in function. bad colour");
  e.setError(9006, 0, std::nullopt);
  EXPECT_EQ(e.getError(), u"Invalid argument in function.");
}

}  // namespace
}  // namespace zylo
