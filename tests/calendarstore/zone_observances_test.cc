// The VTIMEZONEs Zylo writes, read back by libical: every instant names the
// offset the system's zoneinfo gives, the blocks are labelled by daylight
// time, and they hold no more than the times they serve need.
#include "platform/calendarstore/zone_observances.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <random>

#include "platform/calendarstore/ical_ptr.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;

Date utc(int year, int month, int day) {
  return Date{std::chrono::seconds{foundation::daysFromCivil(year, month, day) * 86400}};
}

// libical's own reading of a VTIMEZONE text; frees the zone with it.
struct LibicalZone {
  explicit LibicalZone(const std::string& text) : zone(icaltimezone_new()) {
    icalcomponent* c = icalcomponent_new_from_string(text.c_str());
    ok = c != nullptr && icaltimezone_set_component(zone, c);
  }
  ~LibicalZone() { icaltimezone_free(zone, 1); }
  int offsetAt(Date at) const {
    icaltimetype t = icaltime_from_timet_with_zone(at.time_since_epoch().count(), 0, icaltimezone_get_utc_timezone());
    int daylight = 0;
    return icaltimezone_get_utc_offset_of_utc_time(zone, &t, &daylight);
  }
  icaltimezone* zone;
  bool ok = false;
};

const char* const kZones[] = {"Europe/Berlin",  "America/New_York", "Australia/Sydney", "Asia/Tokyo",
                              "Asia/Kolkata",   "America/Sao_Paulo", "Pacific/Apia",    "America/Nuuk",
                              "Pacific/Chatham", "Asia/Tehran",      "Africa/Casablanca", "America/Santiago"};

TEST(ZoneObservances, LibicalReadsEveryInstantAsZoneinfoDoes) {
  std::mt19937 random(20261209);
  for (const char* name : kZones) {
    const auto zone = foundation::namedZone(name);
    ASSERT_NE(zone, nullptr) << name;
    for (int round = 0; round < 6; ++round) {
      auto pick = [&](int first, int count) { return first + static_cast<int>(random() % count); };
      const Date from = utc(pick(1995, 70), pick(1, 12), pick(1, 28));
      const std::string text = vtimezoneText(name, *zone, from);
      const LibicalZone read(text);
      ASSERT_TRUE(read.ok) << text;
      for (int i = 0; i < 400; ++i) {
        const Date at = from + std::chrono::seconds{static_cast<int64_t>(random() % (40LL * 365 * 86400))};
        ASSERT_EQ(read.offsetAt(at), zone->secondsFromGMT(at))
            << name << " at " << at.time_since_epoch().count() << "\n" << text;
      }
    }
  }
}

// The instants just around each change, where a wrong rule shows first.
TEST(ZoneObservances, ChangesFallOnTheSecondZoneinfoNames) {
  for (const char* name : kZones) {
    const auto zone = foundation::namedZone(name);
    const LibicalZone read(vtimezoneText(name, *zone, utc(2008, 3, 1)));
    ASSERT_TRUE(read.ok);
    for (Date at = utc(2008, 3, 1); at < utc(2045, 1, 1); at += std::chrono::hours{24}) {
      if (zone->secondsFromGMT(at) == zone->secondsFromGMT(at + std::chrono::hours{24})) continue;
      Date lo = at, hi = at + std::chrono::hours{24};
      while (hi - lo > std::chrono::seconds{1}) {
        const Date mid = lo + (hi - lo) / 2;
        (zone->secondsFromGMT(mid) == zone->secondsFromGMT(lo) ? lo : hi) = mid;
      }
      EXPECT_EQ(read.offsetAt(lo), zone->secondsFromGMT(lo)) << name << " " << lo.time_since_epoch().count();
      EXPECT_EQ(read.offsetAt(hi), zone->secondsFromGMT(hi)) << name << " " << hi.time_since_epoch().count();
    }
  }
}

TEST(ZoneObservances, BlocksAreLabelledByDaylightTimeAndCompact) {
  const auto berlin = foundation::namedZone("Europe/Berlin");
  // Summer: the block in force is daylight time.
  const std::string summer = vtimezoneText("Europe/Berlin", *berlin, utc(2026, 7, 1));
  EXPECT_EQ(summer.find("BEGIN:STANDARD\r\nDTSTART:20260629T000000\r\n"), std::string::npos) << summer;
  auto holds = [&](const std::string& part) { return summer.find(part) != std::string::npos; };
  EXPECT_TRUE(holds("BEGIN:DAYLIGHT\r\nDTSTART:20260630T000000\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0200\r\n"))
      << summer;
  EXPECT_TRUE(holds("BYMONTH=3;BYDAY=-1SU\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:DAYLIGHT")) << summer;
  EXPECT_TRUE(holds("BYMONTH=10;BYDAY=-1SU\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD")) << summer;
  EXPECT_LT(summer.size(), 420u) << summer;
  // Southern hemisphere: daylight time from October, in the first block of January.
  const auto sydney = foundation::namedZone("Australia/Sydney");
  const std::string south = vtimezoneText("Australia/Sydney", *sydney, utc(2026, 1, 15));
  EXPECT_NE(south.find("BEGIN:VTIMEZONE\r\nTZID:Australia/Sydney\r\nBEGIN:DAYLIGHT\r\n"), std::string::npos) << south;
  EXPECT_NE(south.find("BYMONTH=10;BYDAY=1SU\r\nTZOFFSETFROM:+1000\r\nTZOFFSETTO:+1100\r\nEND:DAYLIGHT"),
            std::string::npos) << south;
  // No daylight time: one block.
  const std::string tokyo = vtimezoneText("Asia/Tokyo", *foundation::namedZone("Asia/Tokyo"), utc(2026, 7, 1));
  EXPECT_EQ(tokyo,
            "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nDTSTART:20260630T000000\r\n"
            "TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n");
}

}  // namespace
}  // namespace calendarstore
