// The built-ins scripts lean on: variables, Let, text and number functions.
#include <gtest/gtest.h>

#include "host/calc_error.h"
#include "host/parser.h"
#include "tests/host/fake_functions.h"

namespace zylo::host {
namespace {

using testing::shown;

TEST(Let, BindsNamesForItsBodyAndSetsVariables) {
  Evaluator ev = testing::testEvaluator();
  EXPECT_EQ(testing::shownBy(ev, u"Let ( [ a = 2 ; b = a * 3 ; $c = b + 1 ] ; a & b & $c )"), "267");
  EXPECT_EQ(testing::shownBy(ev, u"$c"), "7");
  EXPECT_EQ(testing::shownBy(ev, u"$never"), "");
  EXPECT_EQ(testing::shownBy(ev, u"Let ( x = 1 ; Let ( x = x + 1 ; x ) & x )"), "21");
  // Outside its Let a bound name is a function name again, and unknown.
  EXPECT_THROW(ev.check(*parse(u"Let ( a = 1 ; a ) + a")), UnknownFunction);
}

TEST(TextFunctions, CountCharactersFromOne) {
  EXPECT_EQ(shown(u"Left ( \"abcdef\" ; 2 ) & Right ( \"abcdef\" ; 2 ) & Middle ( \"abcdef\" ; 3 ; 2 )"), "abefcd");
  EXPECT_EQ(shown(u"Left ( \"ab\" ; 5 ) & Middle ( \"ab\" ; 9 ; 1 ) & Right ( \"ab\" ; -1 )"), "ab");
  EXPECT_EQ(shown(u"Position ( \"a-b-A\" ; \"a\" ; 1 ; 2 )"), "5");
  EXPECT_EQ(shown(u"Position ( \"a-b-a\" ; \"a\" ; 5 ; -2 )"), "1");
  EXPECT_EQ(shown(u"Position ( \"abc\" ; \"x\" ; 1 ; 1 )"), "0");
  EXPECT_EQ(shown(u"PatternCount ( \"Aaa\" ; \"aa\" )"), "2");
  EXPECT_EQ(shown(u"Substitute ( \"a-b\" ; \"-\" ; \"--\" )"), "a--b");
  EXPECT_EQ(shown(u"Substitute ( \"a-b-c\" ; [ \"-\" ; \"+\" ] ; [ \"a\" ; \"A\" ] )"), "A+b+c");
  EXPECT_EQ(shown(u"ValueCount ( List ( \"a\" ; \"\" ; 3 ) )"), "2");
  EXPECT_EQ(shown(u"IsEmpty ( \"\" ) & IsEmpty ( 0 )"), "10");
}

TEST(NumberFunctions, RoundHalfAwayFromZero) {
  EXPECT_EQ(shown(u"Round ( 2.345 ; 2 )"), "2.35");
  EXPECT_EQ(shown(u"Round ( -2.345 ; 2 )"), "-2.35");
  EXPECT_EQ(shown(u"Round ( 2.344 ; 2 )"), "2.34");
  EXPECT_EQ(shown(u"Round ( 1250 ; -2 )"), "1300");
  EXPECT_EQ(shown(u"Round ( 7 ; 2 )"), "7");
  EXPECT_EQ(shown(u"Int ( -3.7 ) & \" \" & Abs ( -2.5 )"), "-3 2.5");
}

TEST(NumberFunctions, ModTakesTheDivisorsSign) {
  EXPECT_EQ(shown(u"Mod ( 10 ; 3 ) & \" \" & Mod ( -1 ; 7 ) & \" \" & Mod ( 5 ; -3 ) & \" \" & Mod ( 7.5 ; 2 )"),
            "1 6 -1 1.5");
  EXPECT_EQ(shown(u"Mod ( 1 ; 0 )"), "?");
}

TEST(DateAndTimeParts, OfDatesTimesAndTimestamps) {
  // The injected clock reads Thursday 15 January 2026, 13:00.
  EXPECT_EQ(shown(u"DayOfWeek ( Get ( CurrentDate ) ) & DayName ( Get ( CurrentDate ) )"), "5Thursday");
  EXPECT_EQ(shown(u"DayOfWeek ( Date ( 1 ; 1 ; 1 ) ) & DayOfWeek ( Date ( 12 ; 31 ; 4000 ) )"), "21");
  EXPECT_EQ(shown(u"Year ( \"12/9/2026\" ) & \"-\" & Month ( Get ( CurrentTimestamp ) ) & \"-\" & Day ( Date ( 2 ; 30 ; 2026 ) )"),
            "2026-1-2");
  EXPECT_EQ(shown(u"Hour ( Get ( CurrentTime ) ) & \":\" & Minute ( Time ( 9 ; 75 ; 0 ) ) & \":\" & Seconds ( Time ( 0 ; 0 ; 61 ) )"),
            "13:15:1");
  EXPECT_EQ(shown(u"DayName ( \"\" ) & Hour ( \"soon\" )"), "");
}

TEST(Comparisons, TextWithoutANumberIsNeverANumber) {
  EXPECT_EQ(shown(u"0 = \"!!ERROR!!\""), "0");
  EXPECT_EQ(shown(u"10 > \"9\""), "1");
}

TEST(Brackets, OnlyAsPairs) {
  EXPECT_THROW(testing::testEvaluator().check(*parse(u"[ 1 ; 2 ]")), SyntaxError);
  EXPECT_THROW(testing::testEvaluator().check(*parse(u"Substitute ( \"a\" ; [ \"a\" ] )")), SyntaxError);
}

}  // namespace
}  // namespace zylo::host
