#include "platform/calendarstore/write_support.h"

#include <cstring>

#include "platform/calendarstore/component_editor.h"
#include "platform/calendarstore/zone_definitions.h"

namespace calendarstore {

bool refuse(zylo::StoreError& error, const foundation::String& what, foundation::String reason) {
  error.localizedDescription = what;
  error.localizedFailureReason = std::move(reason);
  return false;
}

foundation::String readOnlyReason(const CalendarInfo& calendar) {
  return u"The calendar \"" + calendar.title + u"\" is read-only.";
}

foundation::String systemWords(int errnoValue) { return foundation::fromUtf8(std::strerror(errnoValue)); }

foundation::String whyNotSwapped(const SwapOutcome& outcome, const SwapLimits& limits,
                                 const foundation::String& file) {
  switch (outcome.kind) {
    case SwapOutcome::kBusy:
      return u"Another save of it did not finish within " +
             foundation::fromUtf8(std::to_string(limits.patience.count() / 1000)) + u" seconds; nothing was changed.";
    case SwapOutcome::kContended:
      return u"Other programs changed its file again and again while it was being saved; nothing was changed.";
    default: break;
  }
  if (outcome.failedStep == SwapOutcome::kLocking) {
    return u"The lock file of its calendar could not be opened: " + systemWords(outcome.error) + u".";
  }
  const char16_t* step = outcome.failedStep == SwapOutcome::kWriting    ? u"written"
                         : outcome.failedStep == SwapOutcome::kRemoving ? u"removed"
                                                                        : u"read";
  return file + u" could not be " + step + u": " + systemWords(outcome.error) + u".";
}

ItemEdit refusedEdit(zylo::StoreError& error, const foundation::String& what, foundation::String reason) {
  refuse(error, what, std::move(reason));
  return {};
}

ItemEdit andThen(ItemEdit edit, std::function<void()> next) {
  edit.then = [first = std::move(edit.then), next = std::move(next)] {
    first();
    next();
  };
  return edit;
}

std::string itemText(icalcomponent* calendar, const OriginalText* original) {
  fitVtimezones(calendar);
  return original ? original->textOf(calendar) : freshItemText(calendar);
}

ComponentPtr newCalendarComponent() {
  ComponentPtr calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Zylo//Zylo " ZYLO_VERSION "//EN"));
  return calendar;
}

std::vector<icalcomponent*> componentsOf(icalcomponent* calendar, icalcomponent_kind kind) {
  std::vector<icalcomponent*> list;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, kind); c;
       c = icalcomponent_get_next_component(calendar, kind)) {
    list.push_back(c);
  }
  return list;
}

std::vector<icalproperty*> propertiesOf(icalcomponent* component, icalproperty_kind kind) {
  std::vector<icalproperty*> list;
  for (icalproperty* p = icalcomponent_get_first_property(component, kind); p;
       p = icalcomponent_get_next_property(component, kind)) {
    list.push_back(p);
  }
  return list;
}

void removeComponent(icalcomponent* calendar, icalcomponent* component) {
  icalcomponent_remove_component(calendar, component);
  icalcomponent_free(component);
}

icalcomponent* addItemComponent(icalcomponent* calendar, icalcomponent_kind kind, const std::string& uid,
                                foundation::Date now) {
  icalcomponent* item = icalcomponent_new(kind);
  icalcomponent_add_component(calendar, item);
  icalcomponent_add_property(item, icalproperty_new_uid(uid.c_str()));
  ComponentEditor editor(foundation::fixedOffsetZone(0));
  editor.setUtcTime(item, ICAL_CREATED_PROPERTY, now);
  editor.setUtcTime(item, ICAL_DTSTAMP_PROPERTY, now);
  return item;
}

}  // namespace calendarstore
