#include "host/cli_options.h"

#include <charconv>
#include <string_view>

namespace zylo::host {

const char kUsage[] =
    R"(usage: zylo-host [options] eval EXPR...   evaluate the calculations in turn, one line each
       zylo-host [options] info           the plug-in's name, description, options and functions
       zylo-host [options] repl           evaluate one calculation per line of standard input
       zylo-host [options] run FILE [--script NAME] [--param TEXT] [--wait SECONDS]
                                          run a script of a script file (zylo-host run --help)
       zylo-host [options] run --parallel FILE... [--script NAME] [--param TEXT] [--wait SECONDS]
                                          run a script of each file at once, each in a session
options
  --json            print one JSON object per result or, for info, per function
  --plugin PATH     the plug-in file to load (default: Zylo.fmx beside zylo-host)
  --calendars DIR   the calendar store folder (default: $ZYLO_CALENDARS, else `calendars` in
                    the configuration file, else $XDG_DATA_HOME/zylo/calendars, else
                    ~/.local/share/zylo/calendars)
  --host-version N  the extension version announced at start-up (default 60)
environment
  TZ                the time zone calculations and the plug-in read times in
  ZYLO_CALENDARS    the calendar store folder, when --calendars is not given
  ZYLO_CONFIG       the configuration file (default /etc/zylo/zylo.conf): `calendars = DIR`
                    and `index = DIR` lines
  ZYLO_STORE_INDEX  the folder of the store's index, or "off" for none
  ZYLO_OS_VERSION   the operating-system version the plug-in believes it runs on ("10.8")
exit status: 0 when every calculation was evaluated; 2 on a usage or syntax error, an unknown
function, or a plug-in that fails to load or start; 1 when a calculation failed inside the host;
3 when a script step failed. eval checks every calculation before running the first. repl
reports a refused line on standard error and goes on with the next; at the end of input it
exits 2 if any line was refused.
)";

const char kRunUsage[] =
    R"(usage: zylo-host [options] run FILE [--script NAME] [--param TEXT] [--wait SECONDS]
       zylo-host [options] run --parallel FILE... [--script NAME] [--param TEXT] [--wait SECONDS]
Runs a script of FILE, a script file holding one database's scripts (the file name without its
extension is what Get ( FileName ) answers):
  Script "Name"
    Set Variable [ $name ; Value: calculation ]     ($name for one script run, $$name for the whole run)
    If [ calculation ] / Else If [ calculation ] / Else / End If
    Loop / Exit Loop If [ calculation ] / End Loop
    Perform Script [ "Other" ; Parameter: calculation ]
    Exit Script [ Result: calculation ]
    Show [ calculation ]                            (prints the value on standard output)
    Pause/Resume Script [ Duration (seconds): calculation ]
    Set Error Capture [ On ]
    # a comment
  End Script
  --script NAME   the script to run (default: the file's first)
  --param TEXT    what Get ( ScriptParameter ) answers
  --wait SECONDS  keep running the host's run loop that long after the script, for callbacks
  --parallel      run a script of every FILE at once, as the server runs sessions: each on a
                  thread and in a session of its own (ids 1, 2, ... in the order of the files),
                  with its own variables; --script, --param and --wait apply to each. Each
                  line a session prints starts with "[ID] " (with --json, each object has
                  "session":ID first); a session's lines come out whole, in its order
exit status: 0 when the script ran to its end; 2 on a usage error, a syntax error in the file
(reported as FILE:LINE:COLUMN before anything runs) or a plug-in that fails to load; 3 when a
step failed while running (reported the same way). --parallel reads every file first (2 and
nothing runs if one fails) and exits with the highest status of its sessions.
)";

namespace {

uint16_t hostVersion(std::string_view text) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > UINT16_MAX)
    throw UsageError("--host-version needs a number from 0 to 65535");
  return uint16_t(value);
}

double seconds(const std::string& text) {
  size_t used = 0;
  double value = -1;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
  }
  if (used != text.size() || !(value >= 0)) throw UsageError("--wait needs a number of seconds");
  return value;
}

}  // namespace

CliOptions parseCommandLine(std::span<char* const> args) {
  CliOptions options;
  size_t i = 0;
  // An option's value follows it, or comes after '=' in the same argument.
  auto value = [&](std::string_view arg, std::string_view name) -> std::optional<std::string> {
    if (arg == name) {
      if (i + 1 >= args.size()) throw UsageError(std::string(name) + " needs a value");
      return std::string(args[++i]);
    }
    if (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=')
      return std::string(arg.substr(name.size() + 1));
    return std::nullopt;
  };
  for (; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (!arg.starts_with("-")) break;
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--help" || arg == "-h") {
      return options;
    } else if (auto v = value(arg, "--plugin")) {
      options.plugin = *v;
    } else if (auto v = value(arg, "--calendars")) {
      options.calendars = *v;
    } else if (auto v = value(arg, "--host-version")) {
      options.hostVersion = hostVersion(*v);
    } else {
      throw UsageError("unknown option " + std::string(arg));
    }
  }
  if (i == args.size()) throw UsageError("no command given");
  std::string_view command = args[i++];
  if (command == "eval") {
    options.command = Command::kEval;
    options.calculations.assign(args.begin() + long(i), args.end());
    if (options.calculations.empty()) throw UsageError("eval needs at least one calculation");
    return options;
  }
  if (command == "run") {
    options.command = Command::kRun;
    for (; i < args.size(); ++i) {
      std::string_view arg = args[i];
      if (arg == "--help" || arg == "-h") {
        options.command = Command::kRunHelp;
        return options;
      } else if (auto v = value(arg, "--script")) {
        options.scriptName = *v;
      } else if (auto v = value(arg, "--param")) {
        options.parameter = *v;
      } else if (auto v = value(arg, "--wait")) {
        options.waitSeconds = seconds(*v);
      } else if (arg == "--parallel") {
        options.parallel = true;
      } else if (arg.starts_with("-")) {
        throw UsageError("run does not take " + std::string(arg));
      } else {
        options.scriptFiles.emplace_back(arg);
      }
    }
    if (options.scriptFiles.empty()) throw UsageError("run needs a script file");
    if (!options.parallel && options.scriptFiles.size() > 1)
      throw UsageError("run takes one script file; run --parallel takes several");
    return options;
  }
  if (command == "info") {
    options.command = Command::kInfo;
  } else if (command == "repl") {
    options.command = Command::kRepl;
  } else {
    throw UsageError("unknown command " + std::string(command));
  }
  if (i != args.size()) throw UsageError(std::string(command) + " takes no arguments");
  return options;
}

}  // namespace zylo::host
