// The zone names Windows programs write for a TZID, mapped to IANA zones as
// CLDR maps them (its windowsZones.xml, made into a table at build time).
#ifndef ZYLO_PLATFORM_CALENDARSTORE_WINDOWS_ZONES_H_
#define ZYLO_PLATFORM_CALENDARSTORE_WINDOWS_ZONES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calendarstore {

struct WindowsZone {
  const char* name;   // "W. Europe Standard Time"
  const char* shown;  // "(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna"
  const char* iana;   // "Europe/Berlin", CLDR's zone for the whole name
};

// Every Windows zone CLDR knows.
const std::vector<WindowsZone>& windowsZones();

// The IANA zone of a Windows zone name, or of the label Windows shows for it
// (whose "(UTC+01:00)" part is not compared: older versions wrote "GMT"),
// both without regard to case; none when it is neither.
std::optional<std::string> ianaOfWindowsZone(std::string_view tzid);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_WINDOWS_ZONES_H_
