// Changes one property at a time of a component of an item file, leaving
// every other property and parameter as it was. The file's VTIMEZONEs are
// fitted to its times when it is written, not here.
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_COMPONENT_EDITOR_H_
#define ZYLO_PLATFORM_CALENDARSTORE_COMPONENT_EDITOR_H_

#include <libical/ical.h>

#include <optional>
#include <string>

#include "platform/calendarstore/zone_table.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"
#include "platform/foundation/url.h"

namespace calendarstore {

class ComponentEditor {
 public:
  // Times are written in `zone`, with its IANA name as TZID; in UTC ("Z")
  // when the zone is UTC or has no name a VTIMEZONE can be made for.
  explicit ComponentEditor(ZonePtr zone);

  // Absent or empty text removes the property; the text is written in the
  // file's form (line breaks as line feeds, no other control characters).
  void setText(icalcomponent* c, icalproperty_kind kind, const foundation::OptionalString& text);
  void setUrl(icalcomponent* c, const std::optional<foundation::Url>& url);
  // A date-time in the editor's zone, or with `asDate` the day it falls on
  // there; none removes the property.
  void setTime(icalcomponent* c, icalproperty_kind kind, std::optional<foundation::Date> at,
               bool asDate);
  // Whether `at` is the first second of a day in the editor's zone: how the
  // host hands over a date.
  bool startsADay(foundation::Date at) const;
  // Always in UTC (COMPLETED, DTSTAMP, LAST-MODIFIED, CREATED).
  void setUtcTime(icalcomponent* c, icalproperty_kind kind, std::optional<foundation::Date> at);
  // A time in the same form as `like` (its TZID, UTC, floating or date):
  // how RECURRENCE-ID and EXDATE must name an occurrence of its series.
  void addTimeLike(icalcomponent* c, icalproperty_kind kind, foundation::Date at,
                   icalproperty* like, const ZonePtr& likeZone);
  // The same, replacing every `kind` property of `c`; `like` may be one of
  // them.
  void setTimeLike(icalcomponent* c, icalproperty_kind kind, foundation::Date at,
                   icalproperty* like, const ZonePtr& likeZone);
  void setRule(icalcomponent* c, const std::optional<std::string>& rrule);
  void setInteger(icalcomponent* c, icalproperty_kind kind, std::optional<int> value);
  void setStatus(icalcomponent* c, std::optional<icalproperty_status> status);
  // Marks an edit: SEQUENCE raised, DTSTAMP and LAST-MODIFIED set to `now`.
  void touch(icalcomponent* c, foundation::Date now);
  static void removeAll(icalcomponent* c, icalproperty_kind kind);

 private:
  icaltimetype localTime(foundation::Date at, const foundation::TimeZone& zone, bool asDate,
                         icalproperty_kind kind) const;

  ZonePtr zone_;
  std::optional<std::string> zoneName_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_COMPONENT_EDITOR_H_
