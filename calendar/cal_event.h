// An event, or one occurrence of a repeating event.
#ifndef ZYLO_CALENDAR_CAL_EVENT_H_
#define ZYLO_CALENDAR_CAL_EVENT_H_

#include <memory>
#include <optional>
#include <vector>

#include "calendar/cal_attendee.h"
#include "calendar/cal_calendar_item.h"
#include "calendar/cal_recurrence_rule.h"

namespace zylo {

class CalEvent : public CalCalendarItem {
 public:
  using Attendees = std::vector<std::shared_ptr<const CalAttendee>>;

  // A new event that belongs to no calendar yet.
  static std::shared_ptr<CalEvent> event() { return std::make_shared<CalEvent>(); }

  const std::optional<foundation::Date>& startDate() const { return startDate_; }
  const std::optional<foundation::Date>& endDate() const { return endDate_; }
  bool isAllDay() const { return isAllDay_; }
  const foundation::OptionalString& location() const { return location_; }
  // True for an occurrence the file overrides (a RECURRENCE-ID component).
  bool isDetached() const { return isDetached_; }
  // The original start of this occurrence; none for an event that does not
  // repeat.
  const std::optional<foundation::Date>& occurrence() const { return occurrence_; }
  // None when the event has no attendee list at all.
  const std::optional<Attendees>& attendees() const { return attendees_; }
  const CalRecurrenceRule::Ptr& recurrenceRule() const { return recurrenceRule_; }

  void setStartDate(std::optional<foundation::Date> d) { startDate_ = d; changed_ |= kStartDate; }
  void setEndDate(std::optional<foundation::Date> d) { endDate_ = d; changed_ |= kEndDate; }
  void setIsAllDay(bool v) { isAllDay_ = v; changed_ |= kIsAllDay; }
  void setLocation(foundation::OptionalString v) { location_ = std::move(v); changed_ |= kLocation; }
  // Null removes the rule.
  void setRecurrenceRule(CalRecurrenceRule::Ptr r) { recurrenceRule_ = std::move(r); changed_ |= kRecurrenceRule; }

  // For the store: what it read, without marking anything changed.
  struct Loaded {
    std::optional<foundation::Date> startDate, endDate;
    bool isAllDay = false;
    foundation::OptionalString location;
    bool isDetached = false;
    std::optional<foundation::Date> occurrence;
    std::optional<Attendees> attendees;
    CalRecurrenceRule::Ptr recurrenceRule;
  };
  void loadFromStore(Loaded l) {
    startDate_ = l.startDate;
    endDate_ = l.endDate;
    isAllDay_ = l.isAllDay;
    location_ = std::move(l.location);
    isDetached_ = l.isDetached;
    occurrence_ = l.occurrence;
    attendees_ = std::move(l.attendees);
    recurrenceRule_ = std::move(l.recurrenceRule);
  }

 private:
  std::optional<foundation::Date> startDate_, endDate_;
  bool isAllDay_ = false;
  foundation::OptionalString location_;
  bool isDetached_ = false;
  std::optional<foundation::Date> occurrence_;
  std::optional<Attendees> attendees_;
  CalRecurrenceRule::Ptr recurrenceRule_;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_EVENT_H_
