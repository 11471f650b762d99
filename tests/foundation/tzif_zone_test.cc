// Zone files and their closing rule, beyond what the table of real zones
// reaches: rule forms no zone of the table uses, and files that are not
// zone files.
#include "platform/foundation/tzif_zone.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/foundation/civil_days.h"
#include "platform/foundation/time_zone.h"

namespace foundation {
namespace {

int64_t utcSeconds(int year, int month, int day, int hour = 0) {
  return daysFromCivil(year, month, day) * 86400 + hour * 3600;
}

TEST(PosixTzRule, ReadsEveryFormOfChange) {
  // Day 60 of the year without 29 February is 1 March, also in a leap year.
  auto julian = PosixTzRule::parse("AAA-1BBB,J60/0,J305/0");
  ASSERT_TRUE(julian);
  EXPECT_EQ(julian->offsetAt(utcSeconds(2028, 2, 29, 22)), 3600);
  EXPECT_EQ(julian->offsetAt(utcSeconds(2028, 2, 29, 23)), 7200);
  // Day 59 counted from 0 is 29 February in a leap year.
  auto zeroBased = PosixTzRule::parse("AAA-1BBB,59/0,300/0");
  ASSERT_TRUE(zeroBased);
  EXPECT_EQ(zeroBased->offsetAt(utcSeconds(2028, 2, 28, 23)), 7200);
  // No rule after the names: the United States' (second Sunday of March).
  auto american = PosixTzRule::parse("EST5EDT");
  ASSERT_TRUE(american);
  EXPECT_EQ(american->offsetAt(utcSeconds(2030, 3, 10, 6)), -18000);
  EXPECT_EQ(american->offsetAt(utcSeconds(2030, 3, 10, 7)), -14400);
  // A change at hour 24 and on the southern side of the year.
  auto chile = PosixTzRule::parse("<-04>4<-03>,M9.1.6/24,M4.1.6/24");
  ASSERT_TRUE(chile);
  EXPECT_EQ(chile->offsetAt(utcSeconds(2050, 1, 15)), -10800);
  EXPECT_EQ(chile->offsetAt(utcSeconds(2050, 7, 15)), -14400);
  EXPECT_EQ(PosixTzRule::parse("<+01>-1")->offsetAt(utcSeconds(2050, 7, 1)), 3600);
}

TEST(PosixTzRule, RefusesWhatIsNotARule) {
  for (const char* text : {"", "AB1", "CET", "CET-1CEST,M13.5.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
                           "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,M3.5.0", "CET-1CEST,J0,J300",
                           "<+01-1", "CET-1CEST,M3.5.0,M10.5.0/", "CET-1CEST,M3.5.0,M10.5.0x"}) {
    EXPECT_FALSE(PosixTzRule::parse(text)) << text;
  }
}

TEST(TzifZone, RefusesFilesThatAreNotWholeZoneFiles) {
  std::ifstream in("/usr/share/zoneinfo/Europe/Berlin", std::ios::binary);
  const std::string berlin{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(berlin.size(), 100u);
  ASSERT_TRUE(TzifZone::parse(berlin));
  for (size_t cut : {size_t{0}, size_t{4}, size_t{43}, berlin.size() / 2}) {
    EXPECT_FALSE(TzifZone::parse(berlin.substr(0, cut))) << cut;
  }
  std::string version1 = berlin;
  version1[4] = '\0';
  EXPECT_FALSE(TzifZone::parse(version1));
  EXPECT_FALSE(TzifZone::parse("not a zone file at all, but long enough to hold a header........"));
}

TEST(NamedZone, OnlyZoneFilesAreZones) {
  EXPECT_NE(namedZone("Europe/Berlin"), nullptr);
  for (const char* name : {"Europe", "zone.tab", "", "../zoneinfo/Europe/Berlin", "/etc/passwd", "Nowhere/City"}) {
    EXPECT_EQ(namedZone(name), nullptr) << name;
  }
}

}  // namespace
}  // namespace foundation
