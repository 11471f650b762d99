// zylo-host's command line: options first, then the command and its
// calculations.
#ifndef ZYLO_HOST_CLI_OPTIONS_H_
#define ZYLO_HOST_CLI_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace zylo::host {

enum class Command { kEval, kInfo, kRepl, kRun, kHelp, kRunHelp };

struct CliOptions {
  Command command = Command::kHelp;
  bool json = false;
  std::optional<std::string> plugin;
  std::optional<std::string> calendars;
  uint16_t hostVersion = 60;
  std::vector<std::string> calculations;  // eval's, in order
  // run's: one script file, or with `parallel` one or more, each in a
  // session of its own
  std::vector<std::string> scriptFiles;
  bool parallel = false;
  std::optional<std::string> scriptName, parameter;
  double waitSeconds = 0;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments after the program's name; throws UsageError.
CliOptions parseCommandLine(std::span<char* const> args);

extern const char kUsage[];
extern const char kRunUsage[];

}  // namespace zylo::host

#endif  // ZYLO_HOST_CLI_OPTIONS_H_
