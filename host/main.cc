// zylo-host: loads the plug-in file and plays its host from the command
// line. See kUsage for the commands.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "host/calculation_runner.h"
#include "host/cli_options.h"
#include "host/exit_status.h"
#include "host/host_run_loop.h"
#include "host/parallel_sessions.h"
#include "host/plugin_loader.h"
#include "host/script_session.h"
#include "host/value_format.h"
#include "platform/calendarstore/default_root.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

constexpr uint32_t kNameString = 128, kDescriptionString = 129, kOptionsString = 131;

std::filesystem::path defaultPlugin() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Zylo.fmx";
}

// Files in the calendar folder that the store skips, so that a user learns
// why an item does not show, and those it read only by mending them.
void printUnreadableFiles(std::ostream& out) {
  try {
    auto store = calendarstore::openStore(calendarstore::storeFolders(*calendarstore::systemStoreEnvironment()));
    for (const auto& [path, reason] : store->unreadableFiles()) {
      out << "unreadable: " << path.string() << ": " << reason << '\n';
    }
    for (const auto& [path, repair] : store->repairedFiles()) {
      out << "repaired: " << path.string() << ": " << repair << '\n';
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

// Plain, one session (kMainSession) on this thread; with --parallel, one
// for each file, on threads of their own. Every file is loaded before any
// script runs: one that cannot be refuses the run.
int runScriptFiles(const CliOptions& options, const Environment& world, LoadedPlugin& plugin) {
  SharedStreams streams{std::cout, std::cerr, {}};
  std::vector<std::unique_ptr<ScriptSession>> sessions;
  int status = kStatusOk;
  for (const std::string& path : options.scriptFiles) {
    const uintptr_t id = options.parallel ? sessions.size() + 1 : kMainSession;
    const SessionOutput output(streams, options.json, options.parallel ? id : 0);
    status = std::max(status, sessions.emplace_back(std::make_unique<ScriptSession>(id, world, output))
                                  ->load(path, options.scriptName));
  }
  if (status != kStatusOk) return status;
  const std::u16string parameter = foundation::fromUtf8(options.parameter.value_or(""));
  if (!options.parallel) {
    return sessions.front()->run(parameter, options.waitSeconds,
                                 [&](uint8_t level) { plugin.idle(level, kMainSession); });
  }
  return runInParallel(sessions, parameter, options.waitSeconds,
                       {[&](uint8_t level, uintptr_t id) { plugin.idle(level, id); },
                        [&](uintptr_t id) { plugin.sessionShutdown(id); }});
}

int evaluate(const CliOptions& options, const Environment& world, LoadedPlugin& plugin) {
  Evaluator evaluator(world);
  ResultOutput output{options.json, std::cout, std::cerr};
  if (options.command == Command::kRepl) {
    // No script file is loaded here: requests to run scripts are refused,
    // but the run loop still turns while the host waits for a line.
    HostRunLoop loop([](const ScriptRequest&) {}, [&](uint8_t level) { plugin.idle(level, kMainSession); });
    return readEvalPrint(evaluator, std::cin, output, [&] { loop.runUntilReadable(0); });
  }
  std::vector<std::u16string> calculations;
  for (const std::string& c : options.calculations) calculations.push_back(foundation::fromUtf8(c));
  return evalCalculations(evaluator, calculations, output);
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
    return kStatusRefused;
  }
  if (options.command == Command::kInfo) {
    printInfo(*plugin, options.json, std::cout);
    return 0;
  }
  const Environment world{foundation::systemClock(), foundation::systemDefaultZone(), reportHostError, nullptr};
  const int status = options.command == Command::kRun ? runScriptFiles(options, world, *plugin)
                                                      : evaluate(options, world, *plugin);
  // A parallel run shuts each of its sessions down as it ends.
  if (!options.parallel) plugin->sessionShutdown(kMainSession);
  return status;
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
    return kStatusRefused;
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
