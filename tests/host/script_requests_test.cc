// Requests from the plug-in to run a script: refused for unknown files and
// scripts, queued otherwise, and run by the host's run loop, never inside
// the plug-in's call.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host/host_run_loop.h"
#include "host/script_parser.h"
#include "platform/fmx/fmx.h"
#include "platform/foundation/string.h"
#include "tests/host/fake_functions.h"

namespace zylo::host {
namespace {

int16_t request(const char* file, const char* script, const char* parameter) {
  fmx::Text f, s, p;
  f.assign(file);
  s.assign(script);
  p.assign(parameter);
  fmx::Data data;
  fmx::Locale locale(1);
  data.ref().setAsText(p.ref(), locale.get());
  return startScript(f.get(), s.get(), 3, data.get());
}

class ScriptRequests : public ::testing::Test {
 protected:
  // Loads the script file of that database holding `scripts`.
  void load(const std::string& database, const char* scripts) {
    path_ = ::testing::TempDir() + database + ".fmscript";
    std::ofstream(path_) << scripts;
    library_.load(path_, evaluator_);
  }
  void TearDown() override { std::remove(path_.c_str()); }

  Evaluator evaluator_ = testing::testEvaluator();
  ScriptLibrary library_;
  std::string path_;
};

TEST_F(ScriptRequests, QueuedForKnownScriptsAndRunWhenIdle) {
  load("Sales", "Script \"On change\"\n  Show [ Get ( ScriptParameter ) ]\nEnd Script\n");
  ScriptRequestQueue queue(library_);
  EXPECT_EQ(request("Sales", "On change", "New A"), kFileMissing);  // no queue on this thread yet
  RequestsGoTo here(&queue);
  EXPECT_EQ(request("Other", "On change", "x"), kFileMissing);
  EXPECT_EQ(request("sales", "Nope", "x"), kScriptMissing);
  EXPECT_EQ(request("sales", "on CHANGE", "New A"), kScriptQueued);
  EXPECT_EQ(request("Sales", "On change", "Deleted B"), kScriptQueued);
  std::vector<std::u16string> ran;
  std::vector<uint8_t> idles;
  HostRunLoop loop([&](const ScriptRequest& r) { ran.push_back(r.scriptName + u": " + r.parameter.asText()); },
                   [&](uint8_t level) { idles.push_back(level); });
  loop.runFor(0, kFMXT_ScriptPaused);
  EXPECT_EQ(idles, std::vector<uint8_t>{kFMXT_ScriptPaused});  // the plug-in hears Idle before the queue is run
  EXPECT_EQ(ran, (std::vector<std::u16string>{u"on CHANGE: New A", u"On change: Deleted B"}));
  EXPECT_TRUE(takeScriptRequests().empty());
}

// A request made while another session's queue is the thread's (the main
// thread sending that session's Idle) goes to that session.
TEST_F(ScriptRequests, GoToTheQueueOfTheSessionWhoseCallItIs) {
  load("Desk", "Script \"S\"\nEnd Script\n");
  ScriptRequestQueue mine(library_), other(library_);
  RequestsGoTo here(&mine);
  {
    RequestsGoTo forOther(&other);
    EXPECT_EQ(request("Desk", "S", "for other"), kScriptQueued);
  }
  EXPECT_EQ(request("Desk", "S", "for me"), kScriptQueued);
  const std::vector<ScriptRequest> theirs = other.take(), ours = takeScriptRequests();
  ASSERT_EQ(theirs.size(), 1u);
  EXPECT_EQ(theirs[0].parameter.asText(), u"for other");
  ASSERT_EQ(ours.size(), 1u);
  EXPECT_EQ(ours[0].parameter.asText(), u"for me");
}

}  // namespace
}  // namespace zylo::host
