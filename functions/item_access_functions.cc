// Counting the items of a kind and making one current: by position, by
// identifier (an event also by occurrence), or a calendar by title.
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

struct PositionalOpen {
  std::u16string_view keyword;
  int32_t (iCalFunctions::*open)(int32_t position);
};

const std::array<PositionalOpen, 4> kPositionalOpens{{
    {u"calendar", &iCalFunctions::openCalendarAt},
    {u"event", &iCalFunctions::openEventAt},
    {u"task", &iCalFunctions::openTaskAt},
    {u"attendee", &iCalFunctions::openAttendeeAt},
}};

struct IdentifiedOpen {
  std::u16string_view keyword;
  int32_t (*open)(iCalFunctions& context, const String& uid,
                  std::optional<foundation::Date> occurrence);
};

const std::array<IdentifiedOpen, 3> kIdentifiedOpens{{
    {u"calendar",
     [](iCalFunctions& c, const String& uid, std::optional<foundation::Date>) {
       return c.openCalendarWithUID(uid);
     }},
    {u"event",
     [](iCalFunctions& c, const String& uid, std::optional<foundation::Date> occurrence) {
       return c.openEventWithUID(uid, occurrence);
     }},
    {u"task",
     [](iCalFunctions& c, const String& uid, std::optional<foundation::Date>) {
       return c.openTaskWithUID(uid);
     }},
}};

template <class Entry, size_t N>
const Entry* entryFor(const std::array<Entry, N>& table, const String& keyword) {
  for (const Entry& e : table) {
    if (e.keyword == keyword) return &e;
  }
  return nullptr;
}


}  // namespace

FMX_Err Zylo_GetItemCountForType(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString keyword = frame.text(0);
    frame.clearErrors();
    // No keyword: an empty result and no error.
    if (keyword && !frame.unsupportedSystem()) {
      int32_t count = frame.context().getObjectCount(*keyword);
      if (g_llasterror == 0) frame.answerInteger(count);
    }
    frame.finish();
  });
}

FMX_Err Zylo_OpenItemAt(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString keyword = frame.text(0);
    int32_t position = frame.integer(1);
    frame.clearErrors();
    if (!frame.unsupportedSystem()) {
      const PositionalOpen* open = keyword ? entryFor(kPositionalOpens, *keyword) : nullptr;
      if (open) {
        (frame.context().*open->open)(position);
        frame.answerDone();
      } else {
        g_llasterror = keyword == u"alarm" ? kUnsupportedParameter : kInvalidParameterValue;
      }
    }
    frame.finish();
  });
}

FMX_Err Zylo_OpenItemWithUID(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString keyword = frame.text(0);
    OptionalString uid = frame.text(1);
    std::optional<foundation::Date> occurrence = frame.timestamp(2);
    frame.clearErrors();
    if (!frame.unsupportedSystem()) {
      const IdentifiedOpen* open =
          keyword && uid ? entryFor(kIdentifiedOpens, *keyword) : nullptr;
      if (open) {
        open->open(frame.context(), *uid, occurrence);
        frame.answerDone();
      } else {
        g_llasterror = kInvalidParameterValue;
      }
    }
    frame.finish();
  });
}

FMX_Err Zylo_CalOpenCalendarWithTitle(const FM_ExprEnv* env, const FM_DataVect* parms,
                                      FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    OptionalString title = frame.text(0);
    frame.clearErrors();
    // A missing title is refused even where the system is not supported.
    if (!title) {
      g_llasterror = kInvalidParameterValue;
    } else if (!frame.unsupportedSystem()) {
      frame.context().openCalendarWithTitle(*title);
      frame.answerDone();
    }
    frame.finish();
  });
}

}  // namespace zylo
