#include "tests/host/fake_functions.h"

#include "host/parser.h"
#include "host/value_format.h"
#include "platform/fmx/fmx.h"

namespace zylo::host::testing {
namespace {

int callCount = 0;

std::u16string textOf(fmx::TextRef text) {
  std::u16string s(text.size(), u'\0');
  text.getUnicode(s.data(), 0, uint32_t(s.size()));
  return s;
}

void setText(FM_Data* result, const std::u16string& s) {
  fmx::Text text;
  text.assignUnicodeWithLength(s.data(), uint32_t(s.size()));
  fmx::DataRef(result).setAsText(text.ref(), fmx::DataRef(result).locale());
}

FMX_Err join(int16_t, const FM_ExprEnv*, const FM_DataVect* parms, FM_Data* result) {
  fmx::DataVectRef params(parms);
  std::u16string joined;
  for (uint32_t i = 0; i < params.size(); ++i)
    joined += (i ? u"|" : u"") + textOf(params.atAsText(i));
  setText(result, joined);
  return kFMX_NoError;
}

FMX_Err count(int16_t, const FM_ExprEnv*, const FM_DataVect*, FM_Data* result) {
  fmx::DataRef(result).setAsNumber(fmx::FixPt(++callCount));
  return kFMX_NoError;
}

FMX_Err nothing(int16_t, const FM_ExprEnv*, const FM_DataVect*, FM_Data*) { return kFMX_NoError; }

FMX_Err fail(int16_t, const FM_ExprEnv*, const FM_DataVect*, FM_Data* result) {
  setText(result, u"partial");
  return 7;
}

void add(int16_t id, const char* name, int16_t minArgs, int16_t maxArgs, FMX_ExternCallPtr f) {
  fmx::Text text, prototype;
  text.assign(name);
  prototype.assign(name);
  fmx::registerExternalFunction(fmx::QuadChar('T', 'e', 's', 't'), id, text, prototype, minArgs,
                                maxArgs, 0, f);
}

}  // namespace

void registerFakeFunctions() {
  add(1, "Test_Join", 1, -1, join);
  add(2, "Test_Count", 0, 0, count);
  add(3, "Test_Nothing", 0, 0, nothing);
  add(4, "Test_Fail", 0, 0, fail);
  callCount = 0;
}

Evaluator testEvaluator(std::vector<std::u16string>* hostErrors) {
  using namespace std::chrono;
  auto clock = foundation::fixedClock(sys_days{year{2026} / 1 / 15} + hours{12});
  return Evaluator(Environment{std::move(clock), foundation::fixedOffsetZone(3600),
                               [hostErrors](std::u16string_view function, FMX_Err) {
                                 if (hostErrors) hostErrors->emplace_back(function);
                               },
                               nullptr});
}

fmxhost::Value evaluated(std::u16string_view calculation) {
  registerFakeFunctions();
  return testEvaluator().evaluate(*parse(calculation));
}

std::string shown(std::u16string_view calculation) { return plainText(evaluated(calculation)); }

std::string shownBy(Evaluator& evaluator, std::u16string_view calculation) {
  registerFakeFunctions();
  return plainText(evaluator.evaluate(*parse(calculation)));
}

}  // namespace zylo::host::testing
