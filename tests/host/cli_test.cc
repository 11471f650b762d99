// Runs the built zylo-host against the plug-in built beside it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/index_folder.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("zylo-host-cli-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_ / "calendars");
    zylo::testing::useIndexFolderInChildren(dir_ / "index");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The calendar store is always the test's own folder.
  Outcome run(const std::vector<std::string>& args, const std::string& input = "") {
    return runCommand(std::string(ZYLO_HOST_EXE) + " --calendars " + quoted((dir_ / "calendars").string()),
                      args, input);
  }
  // `command` is zylo-host with what comes before its arguments.
  Outcome runCommand(std::string command, const std::vector<std::string>& args, const std::string& input = "") {
    for (const std::string& a : args) command += " " + quoted(a);
    std::ofstream(dir_ / "in") << input;
    command += " <" + quoted((dir_ / "in").string()) + " 2>" + quoted((dir_ / "err").string());
    Outcome r;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ostringstream err;
    err << std::ifstream(dir_ / "err").rdbuf();
    r.err = err.str();
    return r;
  }

  std::filesystem::path dir_;
};

TEST_F(CliTest, EvalAsksThePlugInForItsVersion) {
  Outcome r = run({"eval", "Zylo_Version", "Zylo_Version(\"short\")"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ZYLO_VERSION "\n" ZYLO_VERSION "\n");
}

TEST_F(CliTest, InfoListsStringsAndFunctions) {
  Outcome r = run({"info"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("name: Zylo\ndescription: ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\n151 Zylo_Version "), std::string::npos) << r.out;
  Outcome j = run({"--json", "info"});
  EXPECT_EQ(j.out.rfind("{\"id\":151,\"name\":\"Zylo_Version\",", 0), 0u) << j.out;
}

TEST_F(CliTest, ReplReadsStandardInput) {
  Outcome r = run({"--json", "repl"}, "1 + 1\nZylo_Version\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"type\":\"number\",\"value\":\"2\"}\n{\"type\":\"text\",\"value\":\"" ZYLO_VERSION "\"}\n");
}

TEST_F(CliTest, FailuresExitWithTwoAndAMessage) {
  Outcome refused = run({"--host-version", "3", "eval", "1"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "zylo-host: the plug-in refused host version 3\n");
  Outcome unknown = run({"eval", "No_Such_Function"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "zylo-host: unknown function No_Such_Function\n");
  Outcome missing = run({"--plugin", (dir_ / "Missing.fmx").string(), "info"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err.rfind("zylo-host: cannot load the plug-in: ", 0), 0u);
  EXPECT_EQ(run({"eval"}).status, 2);
  EXPECT_EQ(run({"--bogus", "info"}).status, 2);
}

// Without --calendars the plug-in's own order holds; the test's
// configuration file names the folder.
TEST_F(CliTest, CalendarFolderFromTheConfigurationFileOrRelativeToHere) {
  std::filesystem::create_directories(dir_ / "calendars" / "work");
  std::ofstream(dir_ / "zylo.conf") << "# the test's\ncalendars = " << (dir_ / "calendars").string() << "\n";
  const std::string config = "ZYLO_CONFIG=" + quoted((dir_ / "zylo.conf").string());
  const std::vector<std::string> count = {"eval", "Zylo_GetItemCountForType ( \"calendar\" )"};
  Outcome fromFile = runCommand("env -u ZYLO_CALENDARS " + config + " " + ZYLO_HOST_EXE, count);
  EXPECT_EQ(fromFile.out, "1\n") << fromFile.err;
  Outcome relative =
      runCommand("cd " + quoted(dir_.string()) + " && " + config + " " + ZYLO_HOST_EXE + " --calendars calendars", count);
  EXPECT_EQ(relative.out, "1\n") << relative.err;
}

}  // namespace

namespace {

// Another program adds and then removes an event while the registered
// script waits: the host runs the update script once for each change.
TEST_F(CliTest, ChangesByAnotherProgramRunTheUpdateScript) {
  std::filesystem::create_directories(dir_ / "calendars" / "home");
  std::ofstream(dir_ / "Watch.fmscript")
      << "Script \"Start\"\n"
         "  Set Variable [ $ok ; Value: Zylo_RegisterUpdateScript ( Get ( FileName ) ; \"On change\" ) ]\n"
         "  Show [ \"registered \" & Zylo_GetLastError ]\n"
         "End Script\n"
         "Script \"On change\"\n"
         "  Show [ Get ( ScriptParameter ) ]\n"
         "End Script\n";
  const std::filesystem::path item = dir_ / "calendars" / "home" / "other.ics";
  std::thread other([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    std::ofstream(item) << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\n"
                           "UID:from-elsewhere\r\nDTSTART:20261210T100000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    std::filesystem::remove(item);
  });
  Outcome r = run({"run", (dir_ / "Watch.fmscript").string(), "--wait", "4"});
  other.join();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "registered Success\nNew from-elsewhere\nDeleted from-elsewhere\n");
}

// A sync that brings two events at once runs the update script for each.
TEST_F(CliTest, EveryEventOfOneSyncRunsTheUpdateScript) {
  const std::filesystem::path home = dir_ / "calendars" / "home";
  std::filesystem::create_directories(home);
  std::ofstream(dir_ / "Watch.fmscript")
      << "Script \"Start\"\n"
         "  Set Variable [ $ok ; Value: Zylo_RegisterUpdateScript ( Get ( FileName ) ; \"On change\" ) ]\n"
         "End Script\n"
         "Script \"On change\"\n"
         "  Show [ Get ( ScriptParameter ) ]\n"
         "End Script\n";
  std::thread sync([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    for (const char* uid : {"first", "second"}) {
      std::ofstream(home / (std::string(uid) + ".ics"))
          << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\nUID:" << uid
          << "\r\nDTSTART:20261210T100000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    }
  });
  Outcome r = run({"run", (dir_ / "Watch.fmscript").string(), "--wait", "2.5"});
  sync.join();
  EXPECT_EQ(r.status, 0) << r.err;
  // The order within one look at the folder is the folder's own.
  EXPECT_TRUE(r.out == "New first\nNew second\n" || r.out == "New second\nNew first\n") << r.out;
}

}  // namespace

namespace {

// The lines of `out` marked "[ID] ", in order, without the mark.
std::vector<std::string> linesOf(const std::string& out, int session) {
  const std::string mark = "[" + std::to_string(session) + "] ";
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(mark, 0) == 0) lines.push_back(line.substr(mark.size()));
  return lines;
}

std::vector<std::string> lines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ParallelRunTest : public CliTest {
 protected:
  std::string script(const std::string& name, const std::string& body) {
    const std::filesystem::path path = dir_ / (name + ".fmscript");
    std::ofstream(path) << "Script \"Main\"\n" << body << "End Script\n"
                        << "Script \"Deeper\"\n  Perform Script [ \"Deeper\" ]\nEnd Script\n";
    return path.string();
  }
  // Runs zylo-host with the probe plug-in, which logs what reaches it.
  Outcome probed(const std::vector<std::string>& args) {
    std::filesystem::remove(log());
    setenv("PROBE_LOG", log().c_str(), 1);
    std::vector<std::string> all = {"--plugin", ZYLO_PROBE_PLUGIN};
    all.insert(all.end(), args.begin(), args.end());
    Outcome r = run(all);
    unsetenv("PROBE_LOG");
    return r;
  }
  std::filesystem::path log() const { return dir_ / "probe.log"; }
};

// Each session keeps its own $$variables and names; each reaches the plug-in.
TEST_F(ParallelRunTest, EachScriptRunsOnceInASessionOfItsOwn) {
  const std::string body =
      "  Set Variable [ $$mine ; Value: Get ( FileName ) ]\n"
      "  Show [ Get ( FileName ) & \" \" & Get ( ScriptName ) & \" \" & Get ( ScriptParameter ) ]\n"
      "  Pause/Resume Script [ Duration (seconds): 0.2 ]\n"
      "  Show [ $$mine & \" \" & Zylo_Version ]\n";
  Outcome r = run({"run", "--parallel", script("One", body), script("Two", body), script("Three", body),
                   "--param", "p"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const char* names[] = {"One", "Two", "Three"};
  for (int session = 1; session <= 3; ++session) {
    const std::string name = names[session - 1];
    EXPECT_EQ(linesOf(r.out, session),
              (std::vector<std::string>{name + " Main p", name + " " ZYLO_VERSION}))
        << r.out;
  }
  Outcome json = run({"--json", "run", "--parallel", script("One", "  Show [ 1 ]\n")});
  EXPECT_EQ(json.out, "{\"session\":1,\"type\":\"number\",\"value\":\"1\"}\n");
}

// The run exits with the worst status of its sessions; nothing runs when a
// file does not parse.
TEST_F(ParallelRunTest, ExitsWithTheWorstStatus) {
  Outcome failed = run({"run", "--parallel", script("Fine", "  Show [ \"fine\" ]\n"),
                        script("Deep", "  Perform Script [ \"Deeper\" ]\n")});
  EXPECT_EQ(failed.status, 3);
  EXPECT_EQ(linesOf(failed.out, 1), std::vector<std::string>{"fine"});
  EXPECT_EQ(failed.err,
            "[2] zylo-host: " + (dir_ / "Deep.fmscript").string() + ":5:3: scripts performed more than 200 deep\n");
  Outcome refused = run({"run", "--parallel", script("Fine", "  Show [ \"fine\" ]\n"),
                         script("Bad", "  Show [ 1 + ]\n")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(run({"run", script("Fine", ""), script("Other", "")}).status, 2);
}

// Every call names its session; each session's Idle comes from the main
// thread with its id and level, and its shut-down once, when it ends.
TEST_F(ParallelRunTest, ThePlugInSeesEachSessionAndItsEnd) {
  const std::string body = "  Show [ Probe_Session ]\n  Pause/Resume Script [ Duration (seconds): 0.1 ]\n";
  Outcome r = probed({"run", "--parallel", script("A", body), script("B", body), script("C", body)});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> log = lines(this->log());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "shutdown");
  for (int session = 1; session <= 3; ++session) {
    const std::string id = std::to_string(session);
    EXPECT_EQ(linesOf(r.out, session), std::vector<std::string>{id}) << r.out;
    EXPECT_EQ(std::count(log.begin(), log.end(), "session-shutdown " + id + " 0"), 1) << id;
    const auto paused = std::find(log.begin(), log.end(), "idle 2 " + id + " 0");
    EXPECT_LT(paused, std::find(log.begin(), log.end(), "session-shutdown " + id + " 0")) << id;
  }
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.ends_with(" 1"); }), 0);
}

// A paused session's Idle goes out while another session runs a script.
TEST_F(ParallelRunTest, APausedSessionIsIdleWhileAnotherRuns) {
  Outcome r = probed({"run", "--parallel", script("Paused", "  Pause/Resume Script [ Duration (seconds): 3 ]\n"),
                      script("Busy",
                             "  Set Variable [ $until ; Value: GetAsNumber ( Get ( CurrentTimestamp ) ) + 5 ]\n"
                             "  Loop\n"
                             "    Exit Loop If [ Probe_IdleCount ( 1 ) >= 3 or "
                             "GetAsNumber ( Get ( CurrentTimestamp ) ) > $until ]\n"
                             "  End Loop\n"
                             "  Show [ Probe_IdleCount ( 1 ) >= 3 ]\n")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(linesOf(r.out, 2), std::vector<std::string>{"1"}) << r.out;
}

// Plain run, eval and repl are one session, 1, shut down at the end.
TEST_F(ParallelRunTest, APlainRunIsSessionOne) {
  Outcome r = probed({"run", script("Alone", "  Show [ Probe_Session ]\n  Pause/Resume Script [ 0.05 ]\n")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1\n");
  const std::vector<std::string> log = lines(this->log());
  EXPECT_NE(std::find(log.begin(), log.end(), "idle 2 1 0"), log.end());
  EXPECT_EQ(log.back(), "shutdown");
  EXPECT_EQ(log.end()[-2], "session-shutdown 1 0");
  EXPECT_EQ(probed({"eval", "Probe_Session"}).out, "1\n");
}

}  // namespace
