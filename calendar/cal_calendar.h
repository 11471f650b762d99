// A calendar of the store: a named collection of events and tasks.
#ifndef ZYLO_CALENDAR_CAL_CALENDAR_H_
#define ZYLO_CALENDAR_CAL_CALENDAR_H_

#include <memory>
#include <optional>

#include "platform/foundation/color.h"
#include "platform/foundation/string.h"

namespace zylo {

// Not thread-safe: a calendar object is used on one thread at a time.
class CalCalendar {
 public:
  // A new calendar that belongs to no store yet (empty uid until saved).
  static std::shared_ptr<CalCalendar> calendar() { return std::make_shared<CalCalendar>(); }

  const foundation::OptionalString& title() const { return title_; }
  const foundation::OptionalString& notes() const { return notes_; }
  const foundation::OptionalString& type() const { return type_; }
  const foundation::String& uid() const { return uid_; }
  bool isEditable() const { return isEditable_; }
  const std::optional<foundation::Color>& color() const { return color_; }

  void setTitle(foundation::OptionalString v) { title_ = std::move(v); changed_ |= kTitle; }
  void setNotes(foundation::OptionalString v) { notes_ = std::move(v); changed_ |= kNotes; }
  void setColor(std::optional<foundation::Color> v) { color_ = v; changed_ |= kColor; }

  // What the setters changed since the store last loaded or saved it.
  enum Field : unsigned { kTitle = 1, kNotes = 2, kColor = 4 };
  unsigned changedFields() const { return changed_; }

  // For the store: fill a calendar it read, and forget changes it saved.
  void loadFromStore(foundation::String uid, foundation::OptionalString title,
                     foundation::OptionalString notes, foundation::OptionalString type,
                     bool isEditable, std::optional<foundation::Color> color) {
    uid_ = std::move(uid);
    title_ = std::move(title);
    notes_ = std::move(notes);
    type_ = std::move(type);
    isEditable_ = isEditable;
    color_ = color;
    changed_ = 0;
  }
  void clearChanges() { changed_ = 0; }

 private:
  foundation::String uid_;
  foundation::OptionalString title_, notes_, type_;
  bool isEditable_ = true;
  std::optional<foundation::Color> color_;
  unsigned changed_ = 0;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_CALENDAR_H_
