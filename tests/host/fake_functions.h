// Plug-in functions the tests register with the host library themselves,
// so that the engine's calls into the plug-in run without the plug-in file.
#ifndef ZYLO_TESTS_HOST_FAKE_FUNCTIONS_H_
#define ZYLO_TESTS_HOST_FAKE_FUNCTIONS_H_

#include "host/evaluator.h"

namespace zylo::host::testing {

// Registers (again, harmlessly) and resets the call counter:
//   Test_Join ( text ; ... )  its parameters' texts joined with "|"
//   Test_Count                how often it has been called, this one included
//   Test_Nothing              never sets its result
//   Test_Fail                 answers host error 7
void registerFakeFunctions();

// An evaluator whose clock says 2026-01-15 12:00:00 UTC, in a zone one hour
// east, and that records host errors.
Evaluator testEvaluator(std::vector<std::u16string>* hostErrors = nullptr);

// Parses and evaluates; the result as zylo-host prints it in text mode.
std::string shown(std::u16string_view calculation);
fmxhost::Value evaluated(std::u16string_view calculation);
// The same with an evaluator of the test's, whose variables carry over.
std::string shownBy(Evaluator& evaluator, std::u16string_view calculation);

}  // namespace zylo::host::testing

#endif  // ZYLO_TESTS_HOST_FAKE_FUNCTIONS_H_
