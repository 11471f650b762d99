// Runs calculations for the eval and repl commands and prints one line per
// result. Each answers the process's exit status: 0 when every calculation
// was evaluated, 2 when one was refused (syntax or unknown function), 1
// when one failed inside the host.
#ifndef ZYLO_HOST_CALCULATION_RUNNER_H_
#define ZYLO_HOST_CALCULATION_RUNNER_H_

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/evaluator.h"

namespace zylo::host {

struct ResultOutput {
  bool json = false;
  std::ostream& out;
  std::ostream& err;  // one "zylo-host: ..." line per refused calculation
};

// All calculations are parsed and checked before the first one runs, so a
// mistake in a later one leaves the plug-in untouched; then each runs in turn.
int evalCalculations(Evaluator& evaluator, const std::vector<std::u16string>& calculations,
                     const ResultOutput& output);

// One calculation per line (UTF-8; blank lines are skipped). A refused line
// is reported and the next one read; the status says whether any was.
// `waitForInput` runs the host's run loop until a line can be read.
int readEvalPrint(Evaluator& evaluator, std::istream& in, const ResultOutput& output,
                  const std::function<void()>& waitForInput = [] {});

}  // namespace zylo::host

#endif  // ZYLO_HOST_CALCULATION_RUNNER_H_
