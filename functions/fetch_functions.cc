// Selecting events by date range, or tasks by completion status, for the
// counts and positional opens that follow.
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "plugin/external_functions.h"

namespace zylo {

FMX_Err Zylo_EventsFetch(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    std::optional<foundation::Date> start = frame.timestamp(0);
    std::optional<foundation::Date> end = frame.timestamp(1);
    foundation::OptionalString calendars = frame.text(2);
    foundation::OptionalString uid = frame.text(3);
    frame.clearErrors();
    if (!frame.unsupportedSystem()) {
      frame.context().fetchEventsWithStartDate(start.value_or(foundation::distantPast()),
                                               end.value_or(foundation::distantFuture()), uid,
                                               calendars);
      frame.answerDone();
    }
    frame.finish();
  });
}

FMX_Err Zylo_TasksFetch(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    foundation::OptionalString calendars = frame.text(0);
    foundation::OptionalString status = frame.text(1);
    std::optional<foundation::Date> date = frame.timestamp(2);
    frame.clearErrors();
    if (!frame.unsupportedSystem()) {
      frame.context().fetchTasks(calendars, status, date);
      frame.answerDone();
    }
    frame.finish();
  });
}

}  // namespace zylo
