// Reading one property of a current item, answered as text, as a date or as
// a timestamp according to the property.
#include <array>
#include <string_view>

#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "plugin/external_functions.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::String;

struct ItemReader {
  std::u16string_view keyword;
  // `extra` is the optional third parameter, lower-cased.
  OptionalString (*read)(iCalFunctions& context, const String& property,
                         const OptionalString& extra);
};

const std::array<ItemReader, 6> kItemReaders{{
    {u"event",
     [](iCalFunctions& c, const String& p, const OptionalString&) {
       return c.getEventAttribute(p, 1, std::nullopt);
     }},
    {u"task",
     [](iCalFunctions& c, const String& p, const OptionalString&) {
       return c.getTaskAttribute(p, 1, std::nullopt);
     }},
    {u"calendar",
     [](iCalFunctions& c, const String& p, const OptionalString&) {
       return c.getCalendarAttribute(p, 1, std::nullopt);
     }},
    {u"alarm",
     [](iCalFunctions&, const String&, const OptionalString&) -> OptionalString {
       g_llasterror = kUnsupportedParameter;
       return std::nullopt;
     }},
    {u"attendee",
     [](iCalFunctions& c, const String& p, const OptionalString&) {
       return c.getAttendeeAttribute(p, 1, std::nullopt);
     }},
    {u"recurrencerule",
     [](iCalFunctions& c, const String& p, const OptionalString& extra) {
       return c.getEventRecurrenceRuleAttribute(p, extra);
     }},
}};

enum class Shape { kText, kTimestamp, kDate };

Shape shapeOf(const String& property, const OptionalString& extra) {
  for (std::u16string_view p : {u"enddate", u"startdate", u"occurrence", u"datestamp"}) {
    if (property == p) return Shape::kTimestamp;
  }
  if (extra == u"enddate") return Shape::kTimestamp;
  if (property == u"completeddate" || property == u"duedate") return Shape::kDate;
  return Shape::kText;
}

void answerValue(FunctionFrame& frame, Shape shape, const OptionalString& value) {
  switch (shape) {
    case Shape::kTimestamp: frame.answerTimestampFromText(value); break;
    case Shape::kDate: frame.answerDateFromText(value); break;
    case Shape::kText: frame.answerText(value.value_or(u"")); break;
  }
}

}  // namespace

FMX_Err Zylo_GetProperty(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString type = frame.text(0);
    OptionalString property = frame.text(1);
    OptionalString extra = frame.text(2);
    frame.clearErrors();
    // Either keyword missing: an empty result and no error.
    if (!frame.unsupportedSystem() && type && property) {
      const String itemType = foundation::lowercased(*type);
      const String keyword = foundation::lowercased(*property);
      if (extra) extra = foundation::lowercased(*extra);
      const ItemReader* reader = nullptr;
      for (const ItemReader& r : kItemReaders) {
        if (r.keyword == itemType) reader = &r;
      }
      if (!reader) {
        g_llasterror = kInvalidParameterValue;
      } else {
        OptionalString value = reader->read(frame.context(), keyword, extra);
        if (g_llasterror == 0) answerValue(frame, shapeOf(keyword, extra), value);
      }
    }
    frame.finish();
  });
}

}  // namespace zylo
