// Making the current event repeat and making it single again. The rule's
// numbers arrive as texts: lists separated by carriage returns, and the nth
// weekday as week and day separated by a comma, the form in which the rule
// reads them back.
#include <optional>
#include <vector>

#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "frame/value_conversion.h"
#include "plugin/external_functions.h"

namespace zylo {
namespace {

struct WeekdayPair {
  int32_t weekOfTheMonth = 0;
  int32_t dayOfTheWeek = 0;
};

// Week first, day second, further parts ignored; none when there is no
// second part. No text means no nth weekday.
std::optional<WeekdayPair> weekdayPairFrom(const foundation::OptionalString& text) {
  if (!text) return WeekdayPair{};
  const std::vector<foundation::String> parts = foundation::split(*text, u',');
  if (parts.size() < 2) return std::nullopt;
  return WeekdayPair{foundation::intValue(parts[0]), foundation::intValue(parts[1])};
}

}  // namespace

FMX_Err Zylo_AddRecurrence(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    const foundation::OptionalString frequency = frame.text(0);
    const int32_t interval = frame.integer(1);
    const foundation::OptionalString daysOfTheWeek = frame.text(2);
    const foundation::OptionalString daysOfTheMonth = frame.text(3);
    const foundation::OptionalString weekday = frame.text(4);
    const foundation::OptionalString months = frame.text(5);
    const std::optional<foundation::Date> endDate = frame.timestamp(6);
    const int32_t count = frame.integer(7);
    frame.clearErrors();
    const std::optional<WeekdayPair> pair = weekdayPairFrom(weekday);
    // A malformed pair is refused before the system is looked at.
    if (!pair) {
      g_llasterror = kInvalidParameterValue;
    } else if (!frame.unsupportedSystem()) {
      frame.context().addRecurrence(frequency, interval, NSStringToNSArrayInt(daysOfTheWeek),
                                    NSStringToNSArrayInt(daysOfTheMonth), pair->dayOfTheWeek,
                                    pair->weekOfTheMonth, NSStringToNSArrayInt(months), endDate,
                                    count);
      frame.answerDone();
    }
    frame.finish();
  });
}

FMX_Err Zylo_RemoveRecurrence(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    frame.clearErrors();
    if (!frame.unsupportedSystem()) {
      frame.context().removeRecurrence();
      frame.answerDone();
    }
    frame.finish();
  });
}

}  // namespace zylo
