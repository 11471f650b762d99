// What events and tasks share.
#ifndef ZYLO_CALENDAR_CAL_CALENDAR_ITEM_H_
#define ZYLO_CALENDAR_CAL_CALENDAR_ITEM_H_

#include <memory>
#include <optional>
#include <string>

#include "calendar/cal_calendar.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"
#include "platform/foundation/url.h"

namespace zylo {

// Not thread-safe: an item is used on one thread at a time. The setters
// change the object in memory only and remember which fields they changed,
// so that a save writes only those and keeps the rest of the stored file.
class CalCalendarItem {
 public:
  enum Field : unsigned {
    kTitle = 1u << 0, kNotes = 1u << 1, kUrl = 1u << 2, kCalendar = 1u << 3,
    kStartDate = 1u << 4, kEndDate = 1u << 5, kIsAllDay = 1u << 6, kLocation = 1u << 7,
    kRecurrenceRule = 1u << 8,
    kDueDate = 1u << 9, kCompletedDate = 1u << 10, kIsCompleted = 1u << 11, kPriority = 1u << 12,
  };

  virtual ~CalCalendarItem() = default;

  const std::shared_ptr<CalCalendar>& calendar() const { return calendar_; }
  const foundation::OptionalString& title() const { return title_; }
  const foundation::OptionalString& notes() const { return notes_; }
  const std::optional<foundation::Url>& url() const { return url_; }
  const foundation::String& uid() const { return uid_; }
  const std::optional<foundation::Date>& dateStamp() const { return dateStamp_; }
  bool hasAlarm() const { return hasAlarm_; }
  const std::optional<foundation::Date>& nextAlarmDate() const { return nextAlarmDate_; }

  void setCalendar(std::shared_ptr<CalCalendar> c) { calendar_ = std::move(c); changed_ |= kCalendar; }
  void setTitle(foundation::OptionalString v) { title_ = std::move(v); changed_ |= kTitle; }
  void setNotes(foundation::OptionalString v) { notes_ = std::move(v); changed_ |= kNotes; }
  void setUrl(std::optional<foundation::Url> v) { url_ = std::move(v); changed_ |= kUrl; }

  unsigned changedFields() const { return changed_; }

  // For the store. `storeFile` is where the store keeps the item, in the
  // store's own terms; empty for an item never saved.
  const std::string& storeFile() const { return storeFile_; }
  void setStoreFile(std::string f) { storeFile_ = std::move(f); }
  void setUid(foundation::String uid) { uid_ = std::move(uid); }
  void setDateStamp(std::optional<foundation::Date> d) { dateStamp_ = d; }
  void setAlarmState(bool hasAlarm, std::optional<foundation::Date> next) {
    hasAlarm_ = hasAlarm;
    nextAlarmDate_ = next;
  }
  void clearChanges() { changed_ = 0; }

 protected:
  unsigned changed_ = 0;

 private:
  std::shared_ptr<CalCalendar> calendar_;
  foundation::OptionalString title_, notes_;
  std::optional<foundation::Url> url_;
  foundation::String uid_;
  std::optional<foundation::Date> dateStamp_;
  bool hasAlarm_ = false;
  std::optional<foundation::Date> nextAlarmDate_;
  std::string storeFile_;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_CALENDAR_ITEM_H_
