#include <gtest/gtest.h>

#include "host/calc_error.h"
#include "host/parser.h"
#include "tests/host/fake_functions.h"

namespace zylo::host {
namespace {

using testing::evaluated;
using testing::shown;

// The column a refused calculation is reported at; 0 when it was accepted.
int errorColumn(std::u16string_view calculation) {
  try {
    evaluated(calculation);
    return 0;
  } catch (const SyntaxError& e) {
    return e.column();
  }
}

TEST(Precedence, FollowsFileMaker) {
  EXPECT_EQ(shown(u"1 + 2 * 3"), "7");
  EXPECT_EQ(shown(u"(1 + 2) * 3"), "9");
  EXPECT_EQ(shown(u"10 - 4 - 3"), "3");
  EXPECT_EQ(shown(u"12 / 2 / 3"), "2");
  EXPECT_EQ(shown(u"-2 * -3"), "6");
  // & binds looser than + and tighter than comparisons.
  EXPECT_EQ(shown(u"\"a\" & 1 + 2"), "a3");
  EXPECT_EQ(shown(u"\"1\" & \"2\" = 12"), "1");
  EXPECT_EQ(shown(u"1 = 1 and 2 = 3 or 1"), "1");
  EXPECT_EQ(shown(u"0 and 1 or 1 and 0"), "0");
  EXPECT_EQ(shown(u"not 0 and 0"), "0");
  EXPECT_EQ(shown(u"NOT 1 = 0"), "1");
}

TEST(Literals, ResolveEscapesAndPilcrows) {
  EXPECT_EQ(shown(uR"("say \"hi\" \\ ok")"), R"(say "hi" \ ok)");
  EXPECT_EQ(shown(u"\"a\u00B6b\""), "a\rb");
  EXPECT_EQ(shown(u"\"a\\\u00B6b\""), "a\u00B6b");
  EXPECT_EQ(shown(u"\"a\" & \u00B6 & \"b\""), "a\rb");
  EXPECT_EQ(shown(uR"("C:\temp")"), R"(C:\temp)");
  EXPECT_EQ(shown(u"\"\""), "");
  EXPECT_EQ(shown(u"0.50"), "0.5");
  EXPECT_EQ(shown(u".25 + 1"), "1.25");
}

TEST(Literals, SpellComparisonsBothWays) {
  EXPECT_EQ(shown(u"1 \u2260 2"), "1");
  EXPECT_EQ(shown(u"1 <> 1"), "0");
  EXPECT_EQ(shown(u"2 \u2264 2"), "1");
  EXPECT_EQ(shown(u"2 >= 3"), "0");
  EXPECT_EQ(shown(u"2 < 3"), "1");
}

TEST(SyntaxErrors, NameTheColumn) {
  EXPECT_EQ(errorColumn(u"1 +"), 4);
  EXPECT_EQ(errorColumn(u"(1 + 2"), 7);
  EXPECT_EQ(errorColumn(u"1 2"), 3);
  EXPECT_EQ(errorColumn(u"  \"open"), 3);
  EXPECT_EQ(errorColumn(u"1 # 2"), 3);
  EXPECT_EQ(errorColumn(u"Upper ( \"a\" ; )"), 15);
  // Columns count characters, so a character outside the BMP counts once.
  EXPECT_EQ(errorColumn(u"\"\U0001F600\" +"), 6);
}

TEST(SyntaxErrors, CoverParameterCounts) {
  EXPECT_EQ(errorColumn(u"1 + If ( 1 ; 2 )"), 5);
  EXPECT_EQ(errorColumn(u"Date ( 1 ; 2 ; 3 ; 4 )"), 1);
  EXPECT_EQ(errorColumn(u"Case ( 1 )"), 1);
  EXPECT_EQ(errorColumn(u"Test_Count ( 1 )"), 1);
  EXPECT_EQ(errorColumn(u"Test_Join"), 1);
  EXPECT_EQ(errorColumn(u"Get ( CurrentUser )"), 7);
  EXPECT_EQ(errorColumn(u"Test_Count ( )"), 0);
}

TEST(UnknownFunctions, AreRefusedEvenInBranchesNotTaken) {
  EXPECT_THROW(evaluated(u"If ( 1 ; 2 ; Nope ( 3 ) )"), UnknownFunction);
  EXPECT_THROW(evaluated(u"nope"), UnknownFunction);
  try {
    evaluated(u"Missing_Thing ( 1 )");
    ADD_FAILURE() << "accepted";
  } catch (const UnknownFunction& e) {
    EXPECT_STREQ(e.what(), "unknown function Missing_Thing");
  }
}

}  // namespace
}  // namespace zylo::host
