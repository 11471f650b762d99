// Script files: control flow, scopes, and where errors are reported.
#include <gtest/gtest.h>

#include "host/calc_error.h"
#include "host/parser.h"
#include "host/script_error.h"
#include "host/script_parser.h"
#include "host/script_runner.h"
#include "host/value_format.h"
#include "platform/foundation/string.h"
#include "tests/host/fake_functions.h"

namespace zylo::host {
namespace {

class ScriptTest : public ::testing::Test {
 protected:
  ScriptTest() : evaluator_(testing::testEvaluator()) { testing::registerFakeFunctions(); }

  ScriptFile parsed(const std::string& text) {
    return parseScriptFile("/db/Sales.fmscript", foundation::fromUtf8(text), evaluator_);
  }
  // Runs the file's first script; answers what it showed, one line each.
  std::string run(const std::string& text, const char16_t* parameter = u"") {
    file_ = parsed(text);
    ScriptRunner runner(
        evaluator_, [this](const fmxhost::Value& v) { shown_ += plainText(v) + "\n"; },
        [this](double seconds) { paused_ += seconds; });
    result_ = runner.perform(file_, file_.scripts.front(), {std::u16string(parameter)});
    return shown_;
  }
  std::string syntaxError(const std::string& text) {
    try {
      parsed(text);
    } catch (const ScriptSyntaxError& e) {
      return e.what();
    }
    return "no error";
  }

  Evaluator evaluator_;
  ScriptFile file_;
  std::string shown_;
  double paused_ = 0;
  fmxhost::Value result_;
};

TEST_F(ScriptTest, NestedLoopsAndIfs) {
  EXPECT_EQ(run(R"(Script "Grid"
  Set Variable [ $row ; Value: 0 ]
  Loop
    Set Variable [ $row ; Value: $row + 1 ]
    Exit Loop If [ $row > 2 ]
    Set Variable [ $col ; Value: 0 ]
    Loop
      Set Variable [ $col ; Value: $col + 1 ]
      Exit Loop If [ $col > 3 ]
      If [ $col = 1 ]
        Show [ "row " & $row ]
      Else If [ $col = 2 and $row = 2 ]
        # comments may stand anywhere
        Show [ "middle" ]
      Else
        Show [ $row * $col ]
      End If
    End Loop
  End Loop
End Script
)"),
            "row 1\n2\n3\nrow 2\nmiddle\n6\n");
}

TEST_F(ScriptTest, PerformScriptWithParameterAndResult) {
  EXPECT_EQ(run(R"(Script "Main"
  Set Variable [ $mine ; Value: "main's" ]
  Perform Script [ "Double" ; Parameter: Get ( ScriptParameter ) + 1 ]
  Show [ Get ( ScriptResult ) & " " & $mine & " " & $$calls ]
  Perform Script [ "Double" ]
  Show [ Get ( ScriptResult ) & " " & $$calls ]
  Exit Script [ Result: "done" ]
  Show [ "never" ]
End Script
Script "Double"
  Set Variable [ $mine ; Value: "double's" ]
  Set Variable [ $$calls ; Value: $$calls + 1 ]
  Exit Script [ Result: Get ( ScriptParameter ) * 2 & " from " & Get ( ScriptName ) & " of " & Get ( FileName ) ]
End Script
)", u"20"),
            "42 from Double of Sales main's 1\n0 from Double of Sales 2\n");
  EXPECT_EQ(plainText(result_), "done");
}

TEST_F(ScriptTest, PauseAndErrorCaptureAreSteps) {
  run("Script \"P\"\n  Set Error Capture [ On ]\n  Pause/Resume Script [ Duration (seconds): 0.5 ]\n"
      "  Pause/Resume Script [ -3 ]\nEnd Script\n");
  EXPECT_DOUBLE_EQ(paused_, 0.5);
}

TEST_F(ScriptTest, SyntaxErrorsNameLineAndColumn) {
  EXPECT_EQ(syntaxError("Script \"A\"\n  Show [ 1 + ]\nEnd Script\n"),
            "/db/Sales.fmscript:2:13: unexpected end of calculation");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Shout [ 1 ]\nEnd Script\n"),
            "/db/Sales.fmscript:2:3: unknown step \"Shout [ 1 ]\"");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Loop\n    Show [ 1 ]\nEnd Script\n"),
            "/db/Sales.fmscript:4:1: this does not close the block opened on line 2");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Perform Script [ \"B\" ]\nEnd Script\n"),
            "/db/Sales.fmscript:2:20: no script \"B\" in this file");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Exit Loop If [ 1 ]\nEnd Script\n"),
            "/db/Sales.fmscript:2:3: Exit Loop If outside a Loop");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Show [ Nope ( 1 ) ]\nEnd Script\n"),
            "/db/Sales.fmscript:2:10: unknown function Nope");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Set Variable [ x ; Value: 1 ]\nEnd Script\n"),
            "/db/Sales.fmscript:2:18: expected a $variable");
  EXPECT_EQ(syntaxError("Script \"A\"\n  Show [ \"a ; b\" ]\n  If [ 1 ]\nEnd Script\n"),
            "/db/Sales.fmscript:4:1: this does not close the block opened on line 3");
}

TEST_F(ScriptTest, RunawayRecursionStopsWithTheStepsLine) {
  try {
    run("Script \"A\"\n  Show [ 1 ]\n  Perform Script [ \"A\" ]\nEnd Script\n");
    FAIL() << "expected a run error";
  } catch (const ScriptRunError& e) {
    EXPECT_STREQ(e.what(), "/db/Sales.fmscript:3:3: scripts performed more than 200 deep");
  }
  EXPECT_EQ(evaluator_.script().depth(), 0u);
}

}  // namespace
}  // namespace zylo::host

namespace zylo::host {
namespace {

// Found by fuzzing: nesting deep enough to exhaust the stack is refused.
TEST_F(ScriptTest, NestingTooDeepIsASyntaxError) {
  const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  const std::string calculation = syntaxError("Script \"A\"\n  Show [ " + deep + " ]\nEnd Script\n");
  EXPECT_TRUE(calculation.starts_with("/db/Sales.fmscript:2:")) << calculation;
  EXPECT_TRUE(calculation.ends_with(": calculation nested too deeply")) << calculation;
  std::string loops = "Script \"A\"\n";
  for (int i = 0; i < 150; ++i) loops += "Loop\n";
  EXPECT_TRUE(syntaxError(loops).ends_with(": blocks nested too deeply"));
  EXPECT_THROW(parse(std::u16string(3000, u'-') + u"1"), SyntaxError);
}

}  // namespace
}  // namespace zylo::host
