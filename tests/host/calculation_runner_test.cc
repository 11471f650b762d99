#include "host/calculation_runner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/fake_functions.h"

namespace zylo::host {
namespace {

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::registerFakeFunctions(); }

  int eval(std::vector<std::u16string> calculations, bool json = false) {
    return evalCalculations(evaluator_, calculations, {json, out_, err_});
  }
  int repl(const std::string& input) {
    std::istringstream in(input);
    return readEvalPrint(evaluator_, in, {false, out_, err_});
  }

  Evaluator evaluator_ = testing::testEvaluator();
  std::ostringstream out_, err_;
};

TEST_F(RunnerTest, EvalPrintsOneLinePerResultAndKeepsState) {
  EXPECT_EQ(eval({u"Test_Count", u"Test_Nothing", u"Test_Count"}), 0);
  EXPECT_EQ(out_.str(), "1\n\n2\n");
  EXPECT_EQ(err_.str(), "");
}

TEST_F(RunnerTest, EvalPrintsJsonObjects) {
  EXPECT_EQ(eval({u"\"a\u00B6\"", u"Test_Nothing"}, true), 0);
  EXPECT_EQ(out_.str(), "{\"type\":\"text\",\"value\":\"a\\r\"}\n{\"type\":\"empty\"}\n");
}

TEST_F(RunnerTest, EvalRunsNothingWhenAnyCalculationIsRefused) {
  EXPECT_EQ(eval({u"Test_Count", u"1 +"}), 2);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "zylo-host: calculation 2: syntax error at column 4: "
                        "unexpected end of calculation\n");
  EXPECT_EQ(eval({u"Test_Count"}), 0);
  EXPECT_EQ(out_.str(), "1\n");
}

TEST_F(RunnerTest, EvalReportsUnknownFunctions) {
  EXPECT_EQ(eval({u"Nope"}), 2);
  EXPECT_EQ(err_.str(), "zylo-host: unknown function Nope\n");
}

TEST_F(RunnerTest, ReplGoesOnAfterARefusedLineAndSaysSoAtTheEnd) {
  EXPECT_EQ(repl("Test_Count\r\n\n1 +\nNope\nTest_Count\n"), 2);
  EXPECT_EQ(out_.str(), "1\n2\n");
  EXPECT_EQ(err_.str(),
            "zylo-host: line 3: syntax error at column 4: unexpected end of calculation\n"
            "zylo-host: line 4: unknown function Nope\n");
}

TEST_F(RunnerTest, ReplSucceedsWhenEveryLineRan) {
  EXPECT_EQ(repl("\"caf\xC3\xA9\" & 1\n   \n"), 0);
  EXPECT_EQ(out_.str(), "caf\xC3\xA9" "1\n");
}

}  // namespace
}  // namespace zylo::host
