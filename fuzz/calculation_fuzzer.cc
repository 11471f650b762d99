// The host's calculation and script parsers: any text parses or is refused
// with a syntax error, and a calculation that parses also checks or is
// refused; evaluating is left out (plug-in calls would need the plug-in).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/calc_error.h"
#include "host/evaluator.h"
#include "host/parser.h"
#include "host/script_error.h"
#include "host/script_parser.h"
#include "platform/foundation/string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static zylo::host::Evaluator evaluator(
      zylo::host::Environment{foundation::systemClock(), foundation::fixedOffsetZone(0), nullptr, nullptr});
  const auto text = foundation::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    auto calculation = zylo::host::parse(text);
    evaluator.check(*calculation);
  } catch (const zylo::host::SyntaxError&) {
  } catch (const zylo::host::UnknownFunction&) {
  }
  try {
    zylo::host::parseScriptFile("fuzz.fmscript", text, evaluator);
  } catch (const zylo::host::ScriptSyntaxError&) {
  }
  return 0;
}
