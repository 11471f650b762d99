// The two functions that never touch the calendar store: the plug-in's
// version, and why the previous function failed.
#include "errors/last_error.h"
#include "errors/plugin_error.h"
#include "frame/function_frame.h"
#include "frame/value_conversion.h"
#include "plugin/external_functions.h"
#include "plugin/plugin_state.h"

namespace zylo {
namespace {

constexpr char kShortVersion[] = "1.0.4.0";
constexpr char kLongVersion[] = "Tessaly 1.0.4.0";

void answerVersion(fmx::DataRef result, const char* version, const FM_Locale* locale) {
  fmx::Text text;
  text.assign(version);
  result.setAsText(text.ref(), locale);
}

}  // namespace

FMX_Err Zylo_Version(const FM_ExprEnv*, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(result, [&] {
    ClearError();
    fmx::DataVectRef params(parms);
    fmx::DataRef answer(result);
    if (params.size() == 0) {
      fmx::Locale locale(1);
      answerVersion(answer, kShortVersion, locale.get());
      return;
    }
    fmx::Text format;
    format.setText(params.atAsText(0));
    format.uppercase();
    fmx::Text shortKeyword;
    shortKeyword.assignWide(L"SHORT");
    answerVersion(answer, format.ref() == shortKeyword.ref() ? kShortVersion : kLongVersion,
                  params.localeAt(0));
  });
}

FMX_Err Zylo_GetLastError(const FM_ExprEnv*, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(result, [&] {
    fmx::DataVectRef params(parms);
    fmx::DataRef answer(result);
    if (params.size() > 0) {
      foundation::OptionalString form = readText(params, 0);
      if (form && !foundation::equalsIgnoringCase(*form, u"text")) {
        writeInteger(answer, g_llasterror);
        return;
      }
    }
    if (g_sharedFunctions && g_sharedFunctions->getLastErrorString()) {
      writeText(answer, *g_sharedFunctions->getLastErrorString());
      return;
    }
    writeText(answer, error ? error->getError() : foundation::String(u"Success"));
  });
}

}  // namespace zylo
