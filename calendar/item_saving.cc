// Saving the current calendar, event or task to the store, and removing a
// stored one found by its identifier.
#include "calendar/ical_functions.h"
#include "calendar/operation_status.h"
#include "errors/error_codes.h"

namespace zylo {
namespace {

using foundation::OptionalString;
using foundation::String;

// The span a keyword names; none for a keyword outside "this", "future"
// and "all".
std::optional<CalSpan> spanFor(const String& keyword) {
  const String word = foundation::lowercased(keyword);
  if (word == u"this") return CalSpan::kThisEvent;
  if (word == u"future") return CalSpan::kFutureEvents;
  if (word == u"all") return CalSpan::kAllEvents;
  return std::nullopt;
}

// An occurrence of a repeating event alone, unless its rule is what
// changed: a rule belongs to the whole series. Any other event, and a
// repeating event opened as its series, is saved whole.
CalSpan defaultSpan(const CalEvent& event, bool openedAsSeries) {
  const bool occurrence = event.recurrenceRule() && event.occurrence() && !openedAsSeries;
  const bool ruleChanged = event.changedFields() & CalCalendarItem::kRecurrenceRule;
  return occurrence && !ruleChanged ? CalSpan::kThisEvent : CalSpan::kAllEvents;
}

String lowercasedOrEmpty(const OptionalString& text) {
  return text ? foundation::lowercased(*text) : String();
}

}  // namespace

int32_t iCalFunctions::outcomeOf(bool done, const StoreError& error) {
  if (done) return 0;
  // Without a reason the text ends in the full stop and the blank.
  lastErrorString = error.localizedDescription + u". " + error.localizedFailureReason.value_or(u"");
  g_llasterror = kStoreRefused;
  return -1;
}

int32_t iCalFunctions::saveItem(const OptionalString& type, const OptionalString& span) {
  std::optional<CalSpan> spanValue;
  if (span && !(spanValue = spanFor(*span))) return failWith(kInvalidArgument);
  try {
    const String keyword = lowercasedOrEmpty(type);
    StoreError error;
    bool saved;
    if (keyword == u"calendar") {
      if (!m_calendar) return failWith(kInvalidCallOrder);
      saved = store()->saveCalendar(*m_calendar, error);
    } else if (keyword == u"task") {
      if (!m_task) return failWith(kInvalidCallOrder);
      saved = store()->saveTask(*m_task, error);
    } else if (keyword == u"event") {
      if (!m_event) return failWith(kInvalidCallOrder);
      saved = store()->saveEvent(*m_event, spanValue.value_or(defaultSpan(*m_event, m_eventIsSeries)), error);
      // The saved event may repeat differently now: the next read of its
      // rule takes the event's own.
      if (saved) m_recurrencerule.reset();
    } else {
      return failWith(kMissingArgument);
    }
    return outcomeOf(saved, error);
  } catch (const CalendarStoreException& e) {
    noteStoreException(e);
    return -1;
  }
}

int32_t iCalFunctions::removeItem(const OptionalString& type, const OptionalString& uid,
                                  std::optional<foundation::Date> occurrence,
                                  const OptionalString& span) {
  // Whatever follows, nothing stays current.
  releaseItems();
  std::optional<CalSpan> spanValue;
  if (span && !(spanValue = spanFor(*span))) return failWith(kInvalidArgument);
  try {
    const String keyword = lowercasedOrEmpty(type);
    StoreError error;
    bool removed;
    if (keyword == u"calendar") {
      std::shared_ptr<CalCalendar> calendar = uid ? store()->calendarWithUID(*uid) : nullptr;
      if (!calendar) return failWith(kItemNotFound);
      removed = store()->removeCalendar(*calendar, error);
    } else if (keyword == u"task") {
      std::shared_ptr<CalTask> task = uid ? store()->taskWithUID(*uid) : nullptr;
      if (!task) return failWith(kItemNotFound);
      removed = store()->removeTask(*task, error);
    } else if (keyword == u"event") {
      std::shared_ptr<CalEvent> event = uid ? store()->eventWithUID(*uid, occurrence) : nullptr;
      if (!event) return failWith(kItemNotFound);
      // How far a removal reaches is never guessed.
      if (!spanValue) return failWith(kMissingArgument);
      removed = store()->removeEvent(*event, *spanValue, error);
    } else {
      return failWith(kMissingArgument);
    }
    return outcomeOf(removed, error);
  } catch (const CalendarStoreException& e) {
    noteStoreException(e);
    return -1;
  }
}

}  // namespace zylo
