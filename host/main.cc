// zylo-host: loads the plug-in file and plays its host from the command
// line. See kUsage for the commands.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "host/calculation_runner.h"
#include "host/cli_options.h"
#include "host/host_run_loop.h"
#include "host/plugin_loader.h"
#include "host/script_error.h"
#include "host/script_runner.h"
#include "host/script_requests.h"
#include "host/value_format.h"
#include "platform/calendarstore/default_root.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

constexpr int kUsageStatus = 2;
constexpr int kStepFailedStatus = 3;
constexpr uint32_t kNameString = 128, kDescriptionString = 129, kOptionsString = 131;

std::filesystem::path defaultPlugin() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Zylo.fmx";
}

// Files in the calendar folder that the store skips, so that a user learns
// why an item does not show.
void printUnreadableFiles(std::ostream& out) {
  try {
    auto store = calendarstore::openStore(calendarstore::storeFolders(*calendarstore::systemStoreEnvironment()));
    for (const auto& [path, reason] : store->unreadableFiles()) {
      out << "unreadable: " << path.string() << ": " << reason << '\n';
    }
  } catch (const foundation::Exception& e) {
    out << "calendars: " << foundation::toUtf8(e.reason()) << '\n';
  }
}

void printInfo(LoadedPlugin& plugin, bool json, std::ostream& out) {
  if (!json) {
    out << "name: " << foundation::toUtf8(plugin.string(kNameString)) << '\n'
        << "description: " << foundation::toUtf8(plugin.string(kDescriptionString)) << '\n'
        << "options: " << foundation::toUtf8(plugin.string(kOptionsString)) << '\n';
  }
  for (const fmxhost::Function& function : fmxhost::registeredFunctions())
    out << (json ? host::json(function) : plainText(function)) << '\n';
  if (!json) printUnreadableFiles(out);
}

void reportHostError(std::u16string_view function, FMX_Err error) {
  std::cerr << "zylo-host: " << foundation::toUtf8(function) << " answered host error " << error
            << '\n';
}

// What a Show step prints: the value as eval prints it, a carriage return
// inside a text starting a new line.
void show(const fmxhost::Value& value, bool json) {
  std::string line = json ? host::json(value) : plainText(value);
  if (!json) std::replace(line.begin(), line.end(), '\r', '\n');
  std::cout << line << std::endl;
}

// Runs a script the plug-in asked for; a step that fails is reported and
// the host goes on, as FileMaker does with a triggered script.
void runRequested(ScriptRunner& runner, const ScriptLibrary& library, const ScriptRequest& request) {
  const ScriptFile* file = library.find(request.fileName);
  const Script* script = file ? file->find(request.scriptName) : nullptr;
  if (!script) return;
  try {
    runner.perform(*file, *script, request.parameter);
  } catch (const ScriptRunError& e) {
    std::cerr << "zylo-host: " << e.what() << '\n';
  }
}

int runScriptFile(const CliOptions& options, Evaluator& evaluator, LoadedPlugin& plugin) {
  ScriptLibrary library;
  const ScriptFile* file;
  try {
    file = &library.load(options.scriptFile, evaluator);
  } catch (const std::exception& e) {
    std::cerr << "zylo-host: " << e.what() << '\n';
    return kUsageStatus;
  }
  const Script* script = options.scriptName ? file->find(foundation::fromUtf8(*options.scriptName))
                                            : &file->scripts.front();
  if (!script) {
    std::cerr << "zylo-host: " << options.scriptFile << " has no script \"" << *options.scriptName << "\"\n";
    return kUsageStatus;
  }
  std::unique_ptr<ScriptRunner> runner;
  HostRunLoop loop([&](const ScriptRequest& request) { runRequested(*runner, library, request); },
                   [&] { plugin.idle(); });
  runner = std::make_unique<ScriptRunner>(
      evaluator, [&](const fmxhost::Value& v) { show(v, options.json); },
      [&](double seconds) { loop.runFor(seconds); });
  setScriptLibrary(&library);
  struct Forget {
    ~Forget() { setScriptLibrary(nullptr); }
  } forget;
  try {
    runner->perform(*file, *script, {foundation::fromUtf8(options.parameter.value_or(""))});
  } catch (const ScriptRunError& e) {
    std::cerr << "zylo-host: " << e.what() << '\n';
    return kStepFailedStatus;
  }
  loop.runFor(options.waitSeconds);
  return 0;
}

int run(const CliOptions& options) {
  // A folder given on the command line is meant from where the user stands;
  // the plug-in takes absolute folders only.
  if (options.calendars) setenv("ZYLO_CALENDARS", std::filesystem::absolute(*options.calendars).c_str(), 1);
  std::unique_ptr<LoadedPlugin> plugin;
  try {
    plugin = std::make_unique<LoadedPlugin>(
        options.plugin ? std::filesystem::path(*options.plugin) : defaultPlugin(),
        options.hostVersion, startScript);
  } catch (const PluginLoadError& e) {
    std::cerr << "zylo-host: " << e.what() << '\n';
    return kUsageStatus;
  }
  if (options.command == Command::kInfo) {
    printInfo(*plugin, options.json, std::cout);
    return 0;
  }
  Evaluator evaluator(
      Environment{foundation::systemClock(), foundation::systemDefaultZone(), reportHostError, nullptr});
  if (options.command == Command::kRun) return runScriptFile(options, evaluator, *plugin);
  ResultOutput output{options.json, std::cout, std::cerr};
  if (options.command == Command::kRepl) {
    // No script file is loaded here: requests to run scripts are refused,
    // but the run loop still turns while the host waits for a line.
    HostRunLoop loop([](const ScriptRequest&) {}, [&] { plugin->idle(); });
    return readEvalPrint(evaluator, std::cin, output, [&] { loop.runUntilReadable(0); });
  }
  std::vector<std::u16string> calculations;
  for (const std::string& c : options.calculations) calculations.push_back(foundation::fromUtf8(c));
  return evalCalculations(evaluator, calculations, output);
}

}  // namespace
}  // namespace zylo::host

int main(int argc, char** argv) {
  using namespace zylo::host;
  CliOptions options;
  try {
    options = parseCommandLine(std::span<char* const>(argv + 1, size_t(argc - 1)));
  } catch (const UsageError& e) {
    std::cerr << "zylo-host: " << e.what() << " (zylo-host --help shows the usage)\n";
    return kUsageStatus;
  }
  if (options.command == Command::kHelp || options.command == Command::kRunHelp) {
    std::cout << (options.command == Command::kHelp ? kUsage : kRunUsage);
    return 0;
  }
  try {
    return run(options);
  } catch (const std::exception& e) {
    std::cerr << "zylo-host: " << e.what() << '\n';
    return 1;
  }
}
