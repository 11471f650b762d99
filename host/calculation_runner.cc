#include "host/calculation_runner.h"

#include <algorithm>
#include <istream>
#include <ostream>

#include "host/calc_error.h"
#include "host/exit_status.h"
#include "host/parser.h"
#include "host/value_format.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

void print(const fmxhost::Value& result, const ResultOutput& output) {
  output.out << (output.json ? json(result) : plainText(result)) << '\n';
}

// Runs `step`, turning what it throws into a message and an exit status.
template <class Step>
int guarded(const ResultOutput& output, const std::string& where, Step step) {
  try {
    step();
    return kStatusOk;
  } catch (const SyntaxError& e) {
    output.err << "zylo-host: " << where << e.what() << '\n';
    return kStatusRefused;
  } catch (const UnknownFunction& e) {
    output.err << "zylo-host: " << where << e.what() << '\n';
    return kStatusRefused;
  } catch (const std::exception& e) {
    output.err << "zylo-host: " << where << "calculation failed: " << e.what() << '\n';
    return kStatusFailed;
  }
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

int evalCalculations(Evaluator& evaluator, const std::vector<std::u16string>& calculations,
                     const ResultOutput& output) {
  std::vector<ExprPtr> parsed;
  for (size_t i = 0; i < calculations.size(); ++i) {
    std::string where =
        calculations.size() > 1 ? "calculation " + std::to_string(i + 1) + ": " : "";
    int status = guarded(output, where, [&] {
      parsed.push_back(parse(calculations[i]));
      evaluator.check(*parsed.back());
    });
    if (status != 0) return status;
  }
  for (const ExprPtr& calculation : parsed) {
    int status = guarded(output, "", [&] { print(evaluator.evaluate(*calculation), output); });
    if (status != 0) return status;
  }
  output.out.flush();
  return kStatusOk;
}

int readEvalPrint(Evaluator& evaluator, std::istream& in, const ResultOutput& output,
                  const std::function<void()>& waitForInput) {
  int worst = 0;
  std::string line;
  auto nextLine = [&] {
    if (in.rdbuf()->in_avail() <= 0) waitForInput();
    return static_cast<bool>(std::getline(in, line));
  };
  for (int number = 1; nextLine(); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (isBlank(line)) continue;
    int status = guarded(output, "line " + std::to_string(number) + ": ", [&] {
      print(evaluator.evaluate(*parse(foundation::fromUtf8(line))), output);
      output.out.flush();
    });
    worst = std::max(worst, status);
  }
  return worst;
}

}  // namespace zylo::host
