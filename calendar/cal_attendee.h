// One attendee of an event, as the store read it. Read-only.
#ifndef ZYLO_CALENDAR_CAL_ATTENDEE_H_
#define ZYLO_CALENDAR_CAL_ATTENDEE_H_

#include <optional>

#include "platform/foundation/string.h"
#include "platform/foundation/url.h"

namespace zylo {

struct CalAttendee {
  std::optional<foundation::Url> address;  // e.g. mailto:ann@example.org
  foundation::OptionalString commonName;
  // "needs action", "accepted", "declined", "tentative", "delegated",
  // "completed" or "in process"; none when the file gives no status.
  foundation::OptionalString status;
};

}  // namespace zylo

#endif  // ZYLO_CALENDAR_CAL_ATTENDEE_H_
