#include <gtest/gtest.h>

#include "host/parser.h"
#include "tests/host/fake_functions.h"

namespace zylo::host {
namespace {

using testing::evaluated;
using testing::shown;

TEST(TimestampArithmetic, CountsSeconds) {
  EXPECT_EQ(shown(u"Timestamp ( Date ( 1 ; 31 ; 2026 ) ; Time ( 23 ; 59 ; 30 ) ) + 45"),
            "2026-02-01 00:00:15");
  EXPECT_EQ(shown(u"Timestamp ( Date ( 3 ; 1 ; 2024 ) ; Time ( 0 ; 0 ; 0 ) ) - 1"),
            "2024-02-29 23:59:59");
  EXPECT_EQ(shown(u"60 + Timestamp ( Date ( 1 ; 1 ; 2026 ) ; Time ( 0 ; 0 ; 0 ) )"),
            "2026-01-01 00:01:00");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"2026-01-02 00:00:00\" ) - "
                  u"GetAsTimestamp ( \"2026-01-01 23:00:00\" )"),
            "3600");
  EXPECT_EQ(shown(u"Timestamp ( Date ( 1 ; 1 ; 2026 ) ; Time ( 0 ; 0 ; 0 ) ) + 0.5"),
            "2026-01-01 00:00:00.5");
  // A time past 24 hours carries into the next day.
  EXPECT_EQ(shown(u"Timestamp ( Date ( 1 ; 1 ; 2026 ) ; Time ( 25 ; 0 ; 0 ) )"),
            "2026-01-02 01:00:00");
  EXPECT_EQ(shown(u"Timestamp ( Date ( 12 ; 31 ; 4000 ) ; Time ( 23 ; 59 ; 59 ) ) + 1"), "?");
}

TEST(DateArithmetic, CountsDays) {
  EXPECT_EQ(shown(u"Date ( 2 ; 28 ; 2026 ) + 1"), "2026-03-01");
  EXPECT_EQ(shown(u"Date ( 1 ; 1 ; 2026 ) - Date ( 12 ; 25 ; 2025 )"), "7");
  EXPECT_EQ(shown(u"Date ( 13 ; 1 ; 2025 )"), "2026-01-01");
  EXPECT_EQ(shown(u"Date ( 3 ; 0 ; 2024 )"), "2024-02-29");
  EXPECT_EQ(shown(u"GetAsNumber ( Date ( 1 ; 2 ; 1 ) )"), "2");
  EXPECT_EQ(shown(u"Time ( 1 ; 30 ; 0 ) + 60"), "01:31:00");
  EXPECT_EQ(shown(u"Time ( 0 ; 0 ; -90 )"), "-00:01:30");
}

TEST(GetAsTimestamp, ReadsBothTextFormsAndPassesMomentsThrough) {
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"2026-03-04 05:06:07\" )"), "2026-03-04 05:06:07");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"3/4/2026 5:06:07\" )"), "2026-03-04 05:06:07");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"3/4/2026 5:06:07 PM\" )"), "2026-03-04 17:06:07");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"3/4/2026\" )"), "2026-03-04 00:00:00");
  EXPECT_EQ(shown(u"GetAsTimestamp ( Date ( 3 ; 4 ; 2026 ) )"), "2026-03-04 00:00:00");
  EXPECT_EQ(shown(u"GetAsTimestamp ( GetAsTimestamp ( \"2026-03-04 05:06:07\" ) )"),
            "2026-03-04 05:06:07");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"2026-02-30 05:06:07\" )"), "?");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"3/4/2026 24:00:00\" )"), "?");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"soon\" )"), "?");
}

TEST(Conversions, RoundTripThroughText) {
  EXPECT_EQ(shown(u"GetAsText ( Date ( 3 ; 4 ; 2026 ) )"), "3/4/2026");
  EXPECT_EQ(shown(u"\"at \" & Timestamp ( Date ( 3 ; 4 ; 2026 ) ; Time ( 5 ; 6 ; 7 ) )"),
            "at 3/4/2026 5:06:07");
  EXPECT_EQ(shown(u"GetAsDate ( GetAsText ( Date ( 3 ; 4 ; 2026 ) ) ) + 1"), "2026-03-05");
  EXPECT_EQ(shown(u"GetAsTime ( \"2026-03-04 05:06:07\" )"), "05:06:07");
  EXPECT_EQ(shown(u"GetAsNumber ( \"abc\" )"), "");
  EXPECT_EQ(shown(u"\"12abc3.5\" + 1"), "124.5");
  EXPECT_EQ(shown(u"\"x\" * 3"), "0");
  EXPECT_EQ(shown(u"1 / 0"), "?");
}

TEST(Comparisons, TextAsTextAndTheRestByNumber) {
  EXPECT_EQ(shown(u"\"10\" < \"9\""), "1");
  EXPECT_EQ(shown(u"10 < \"9\""), "0");
  EXPECT_EQ(shown(u"\"abc\" = \"ABC\""), "1");
  EXPECT_EQ(shown(u"\"abc\" < \"abd\""), "1");
  EXPECT_EQ(shown(u"Date ( 1 ; 2 ; 2026 ) > Date ( 1 ; 1 ; 2026 )"), "1");
  EXPECT_EQ(shown(u"GetAsTimestamp ( \"2026-01-01 00:00:00\" ) = Date ( 1 ; 1 ; 2026 )"), "1");
  EXPECT_EQ(shown(u"2 = 2.0"), "1");
}

TEST(Lists, SplitAtCarriageReturns) {
  EXPECT_EQ(shown(u"GetValue ( \"a\u00B6b\u00B6c\" ; 2 )"), "b");
  EXPECT_EQ(shown(u"GetValue ( \"a\u00B6b\" ; 3 )"), "");
  EXPECT_EQ(shown(u"GetValue ( \"a\u00B6b\" ; 0 )"), "");
  EXPECT_EQ(shown(u"GetValue ( \"a\u00B6\u00B6c\" ; 2 )"), "");
  EXPECT_EQ(shown(u"ValueCount ( \"a\u00B6b\u00B6c\" )"), "3");
  EXPECT_EQ(shown(u"ValueCount ( \"a\u00B6b\u00B6\" )"), "2");
  EXPECT_EQ(shown(u"ValueCount ( \"\u00B6\" )"), "1");
  EXPECT_EQ(shown(u"ValueCount ( \"\" )"), "0");
}

TEST(TextFunctions, WorkOnCharacters) {
  EXPECT_EQ(shown(u"Char ( 13 )"), "\r");
  EXPECT_EQ(shown(u"Length ( Char ( 128512 ) & \"a\" )"), "2");
  EXPECT_EQ(shown(u"Char ( -1 ) & Char ( 55296 )"), "");
  EXPECT_EQ(shown(u"Upper ( \"stra\u00DFe \u00E9\" )"), "STRA\u00DFE \u00C9");
  EXPECT_EQ(shown(u"lower ( \"ABC\" )"), "abc");
}

TEST(Laziness, IfAndCaseEvaluateOnlyTheirAnswer) {
  EXPECT_EQ(shown(u"If ( 1 ; Test_Count ; Test_Count ) & Test_Count"), "12");
  EXPECT_EQ(shown(u"If ( \"\" ; Test_Count ; \"no\" ) & Test_Count"), "no1");
  EXPECT_EQ(shown(u"Case ( 0 ; Test_Count ; 1 ; \"b\" ; Test_Count ) & Test_Count"), "b1");
  EXPECT_EQ(shown(u"Case ( 0 ; 1 ; Test_Count = 1 ; \"second\" )"), "second");
  EXPECT_EQ(shown(u"Case ( 0 ; 1 ; 0 ; 2 ; \"default\" )"), "default");
  EXPECT_EQ(shown(u"Case ( 0 ; 1 )"), "");
  EXPECT_EQ(shown(u"(0 and Test_Count) & (1 or Test_Count) & Test_Count"), "011");
}

TEST(PluginFunctions, GetTheirParametersAndAnswer) {
  EXPECT_EQ(shown(u"test_join ( \"a\" ; \"\" ; 1.5 ; \"b\" )"), "a||1.5|b");
  EXPECT_EQ(shown(u"Test_Count & Test_Count ( )"), "12");
  fmxhost::Value nothing = evaluated(u"Test_Nothing");
  EXPECT_TRUE(std::holds_alternative<std::monostate>(nothing.content));
  EXPECT_EQ(shown(u"\"[\" & Test_Nothing & \"]\""), "[]");
}

TEST(PluginFunctions, HostErrorsGiveAQuestionMarkAndAreReported) {
  testing::registerFakeFunctions();
  std::vector<std::u16string> reported;
  Evaluator evaluator = testing::testEvaluator(&reported);
  fmxhost::Value result = evaluator.evaluate(*parse(u"Test_Fail"));
  EXPECT_EQ(std::get<std::u16string>(result.content), u"?");
  EXPECT_EQ(reported, std::vector<std::u16string>{u"Test_Fail"});
}

TEST(CurrentTimestamp, IsTheInjectedClockInTheInjectedZone) {
  EXPECT_EQ(shown(u"Get ( CurrentTimestamp )"), "2026-01-15 13:00:00");
  EXPECT_EQ(shown(u"GET ( currenttimestamp ) + 3600"), "2026-01-15 14:00:00");
}

}  // namespace
}  // namespace zylo::host
