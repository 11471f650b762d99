// The two functions that never touch the calendar store: the plug-in's
// version, and why the previous function failed.
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "frame/value_conversion.h"
#include "plugin/external_functions.h"

namespace zylo {
namespace {

constexpr char kShortVersion[] = ZYLO_VERSION;
constexpr char kLongVersion[] = "Tessaly " ZYLO_VERSION;

void answerVersion(fmx::DataRef result, const char* version, const FM_Locale* locale) {
  fmx::Text text;
  text.assign(version);
  result.setAsText(text.ref(), locale);
}

}  // namespace

FMX_Err Zylo_Version(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    // A success like any other: the store's reason for an earlier failure
    // goes with its code.
    session.clearError();
    if (session.context()) session.context()->resetLastErrorString();
    g_llasterror = 0;
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

FMX_Err Zylo_GetLastError(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    fmx::DataVectRef params(parms);
    fmx::DataRef answer(result);
    if (params.size() > 0) {
      foundation::OptionalString form = readText(params, 0);
      if (form && !foundation::equalsIgnoringCase(*form, u"text")) {
        writeInteger(answer, g_llasterror);
        return;
      }
    }
    if (session.context() && session.context()->getLastErrorString()) {
      writeText(answer, *session.context()->getLastErrorString());
      return;
    }
    writeText(answer, session.errorText());
  });
}

}  // namespace zylo
