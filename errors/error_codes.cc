#include "errors/error_codes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zylo {
namespace {

constexpr std::array<std::pair<int32_t, const char16_t*>, 29> kMessages{{
    {kSuccess, u"SUCCESS"},
    {kInvalidCallOrder, u"Invalid call order. Must access other item prior to call."},
    {kItemNotFound, u"Item not found."},
    {kIndexOutOfBounds, u"Item index out of bounds."},
    {kNoEventPredicate, u"Unable to create event predicate."},
    {kNoCalendarArray, u"Cannot create calendar array from names."},
    {kMissingArgument, u"Missing argument in function."},
    {kInvalidArgument, u"Invalid argument in function."},
    {kNoTaskPredicate, u"Unable to create task predicate."},
    {kNoAlarms, u"No Alarms available."},
    {kCannotCreateItem, u"Unable to create item."},
    {kNoRecurrenceEnd, u"Unable to create recurrence end."},
    {kNoRecurrenceRule, u"Unable to create recurrence rule."},
    {kItemNotCreated, u"Unable to create item."},
    {kCalendarNotFound, u"Unable to locate Calendar by UID."},
    {kNoCalendar, u"No Calendar opened or no Calendar specified."},
    {kUnsupportedSystem, u"This operating system is not supported."},
    {kUnsupportedParameter, u"This parameter is not supported."},
    {kInvalidParameterCount, u"Invalid Number of Parameters"},
    {kInvalidParameterValue, u"Invalid Parameter value(s)"},
    {kLibraryNotLoaded, u"Library failed to load"},
    {kFileNotFound, u"The specified file cannot be found"},
    {kFileNotFoundToo, u"The specified file cannot be found"},
    {kFolderNotAccessible, u"The specified folder cannot be accessed"},
    {kSystemError, u"System Error"},
    {kUnknownException, u"Unknown Exception"},
    {kComException, u"COM Exception"},
    {kStoreRefused, u"Undefined Error."},
    {kStoreException, u"Undefined Error."},
}};

}  // namespace

foundation::String messageForCode(int32_t code) {
  auto it = std::find_if(kMessages.begin(), kMessages.end(),
                         [code](const auto& entry) { return entry.first == code; });
  return it == kMessages.end() ? u"Undefined Error." : it->second;
}

}  // namespace zylo
