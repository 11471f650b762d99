// Creating a calendar, event or task, setting its properties one at a time,
// saving it, and removing a stored item.
#include <array>
#include <optional>
#include <string_view>

#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "plugin/external_functions.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::String;

// The keywords whose value is read as a timestamp.
bool takesDate(const String& property) {
  static constexpr std::array<std::u16string_view, 6> kDateProperties{
      u"absolutetrigger", u"enddate", u"startdate", u"occurrence", u"completeddate", u"duedate"};
  for (std::u16string_view p : kDateProperties) {
    if (property == p) return true;
  }
  return false;
}

void setProperty(iCalFunctions& context, const String& type, const String& property,
                 const PropertyValue& value) {
  const String kind = foundation::lowercased(type);
  if (kind == u"event") {
    context.setEventProp(property, value);
  } else if (kind == u"task") {
    context.setTaskProp(property, value);
  } else if (kind == u"calendar") {
    context.setCalendarProp(property, value);
  } else if (kind == u"alarm") {
    g_llasterror = kUnsupportedParameter;
  } else if (kind == u"recurrencerule") {
    // A rule changes only through the recurrence functions; here it is
    // accepted and nothing happens.
  } else {
    g_llasterror = kInvalidParameterValue;
  }
}


}  // namespace

FMX_Err Zylo_NewItem(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString type = frame.text(0);
    frame.clearErrors();
    // No keyword: an empty result and no error.
    if (type && !frame.unsupportedSystem()) {
      frame.context().newItem(*type);
      frame.answerDone();
    }
    frame.finish();
  });
}

FMX_Err Zylo_SetProperty(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString type = frame.text(0);
    OptionalString property = frame.text(1);
    OptionalString text = frame.text(2);
    // A conversion that fails leaves no date and records nothing.
    std::optional<foundation::Date> date = text ? frame.timestamp(2) : std::nullopt;
    frame.clearErrors();
    // Either keyword missing: an empty result and no error.
    if (type && property) {
      const bool dated = takesDate(foundation::lowercased(*property));
      // A date property without a usable timestamp is refused before the
      // system or the item type is looked at.
      if (dated && !date) {
        g_llasterror = kMissingArgument;
      } else if (!frame.unsupportedSystem()) {
        const PropertyValue value =
            dated ? PropertyValue{std::nullopt, date} : PropertyValue{text, std::nullopt};
        setProperty(frame.context(), *type, *property, value);
        frame.answerDone();
      }
    }
    frame.finish();
  });
}

FMX_Err Zylo_SaveItem(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString type = frame.text(0);
    OptionalString span = frame.text(1);
    frame.clearErrors();
    if (type && !frame.unsupportedSystem()) {
      frame.context().saveItem(*type, span);
      frame.answerDone();
    }
    frame.finish();
  });
}

FMX_Err Zylo_RemoveItem(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString type = frame.text(0);
    OptionalString uid = frame.text(1);
    std::optional<foundation::Date> occurrence = frame.timestamp(2);
    // An occurrence given but not readable as a timestamp must not fall back
    // to the series' first: that would remove one the script never named.
    const OptionalString occurrenceText = frame.text(2);
    const bool unreadableOccurrence = !occurrence && occurrenceText && !occurrenceText->empty();
    OptionalString span = frame.text(3);
    frame.clearErrors();
    if (type && unreadableOccurrence) {
      g_llasterror = kInvalidParameterValue;
    } else if (type && !frame.unsupportedSystem()) {
      frame.context().removeItem(*type, uid, occurrence, span);
      frame.answerDone();
    }
    frame.finish();
  });
}

}  // namespace zylo
