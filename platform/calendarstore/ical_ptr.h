// Owning handles for what libical hands out.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ICAL_PTR_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ICAL_PTR_H_

#include <libical/ical.h>

#include <memory>
#include <string>

namespace calendarstore {

struct ComponentDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

// Takes a text libical allocated for the caller (the *_r functions).
inline std::string takeText(char* text) {
  if (text == nullptr) return {};
  std::string copy(text);
  icalmemory_free_buffer(text);
  return copy;
}

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ICAL_PTR_H_
