// What the store's writes of events, tasks and calendars share: refusals in
// plain words, edits of files, new calendar components, and walking a
// file's components.
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_WRITE_SUPPORT_H_
#define ZYLO_PLATFORM_CALENDARSTORE_WRITE_SUPPORT_H_

#include <libical/ical.h>

#include <functional>
#include <string>
#include <vector>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/calendar_folder.h"
#include "platform/calendarstore/file_swap.h"
#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/item_text.h"

namespace calendarstore {

// Fills `error` and answers false.
bool refuse(zylo::StoreError& error, const foundation::String& what, foundation::String reason);
foundation::String readOnlyReason(const CalendarInfo& calendar);
// The system's words for an errno value.
foundation::String systemWords(int errnoValue);
// Why a swap that was neither done nor refused did not happen, in a
// sentence that calls the file `file`.
foundation::String whyNotSwapped(const SwapOutcome& outcome, const SwapLimits& limits,
                                 const foundation::String& file = u"The file");

// What a save makes of the file it read, and what it makes of the caller's
// item once that is written.
struct ItemEdit {
  Swap swap;
  std::function<void()> then = [] {};
};
// Fills `error` and answers an edit that changes nothing.
ItemEdit refusedEdit(zylo::StoreError& error, const foundation::String& what, foundation::String reason);
// `edit` followed by `next` once it is written.
ItemEdit andThen(ItemEdit edit, std::function<void()> next);

// The text of `calendar` as an item file, with VTIMEZONEs fitted to its
// times; `original` (when it was read from a file) keeps what was not
// changed.
std::string itemText(icalcomponent* calendar, const OriginalText* original);

// An empty VCALENDAR with this program's VERSION and PRODID.
ComponentPtr newCalendarComponent();
std::vector<icalcomponent*> componentsOf(icalcomponent* calendar, icalcomponent_kind kind);
std::vector<icalproperty*> propertiesOf(icalcomponent* component, icalproperty_kind kind);
// Takes `component` out of `calendar` and frees it.
void removeComponent(icalcomponent* calendar, icalcomponent* component);
// A new VEVENT or VTODO in `calendar` with its UID, CREATED and DTSTAMP.
icalcomponent* addItemComponent(icalcomponent* calendar, icalcomponent_kind kind, const std::string& uid,
                                foundation::Date now);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_WRITE_SUPPORT_H_
