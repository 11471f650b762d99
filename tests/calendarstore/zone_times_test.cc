// Times in named zones and in zones known only from a file's VTIMEZONE:
// years past the zone files' last listed change, and wall-clock times in
// gaps and repeats, which both kinds of zone read alike.
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

// Berlin's rules since 1996, under a name the system does not know.
const char kOwnBerlin[] =
    "BEGIN:VTIMEZONE\nTZID:Own Berlin\n"
    "BEGIN:DAYLIGHT\nTZOFFSETFROM:+0100\nTZOFFSETTO:+0200\nDTSTART:19810329T020000\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\nEND:DAYLIGHT\n"
    "BEGIN:STANDARD\nTZOFFSETFROM:+0200\nTZOFFSETTO:+0100\nDTSTART:19961027T030000\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\nEND:STANDARD\nEND:VTIMEZONE\n";

class ZoneTimesTest : public StoreTest {
 protected:
  std::vector<foundation::Date> startsIn(const std::string& tzid, const std::string& times,
                                         foundation::Date from, foundation::Date to) {
    makeCalendar("cal");
    writeItem("cal", "item.ics",
              std::string(kOwnBerlin) + "BEGIN:VEVENT\nUID:u\nDTSTART;TZID=" + tzid + ":" + times +
                  "\nEND:VEVENT\n");
    store();
    std::vector<foundation::Date> starts;
    for (const auto& e : *events(from, to)) starts.push_back(*e->startDate());
    std::sort(starts.begin(), starts.end());
    return starts;
  }
};

TEST_F(ZoneTimesTest, SummerTimeContinuesPastTheLastListedChange) {
  for (const char* tzid : {"Europe/Berlin", "Own Berlin"}) {
    // Weekly at 10:00 from 2040: July 2041 is summer time.
    EXPECT_EQ(startsIn(tzid, "20400601T100000\nRRULE:FREQ=WEEKLY;BYDAY=MO", utc(2041, 7, 1),
                       utc(2041, 7, 16)),
              (std::vector{utc(2041, 7, 1, 8), utc(2041, 7, 8, 8), utc(2041, 7, 15, 8)}))
        << tzid;
    EXPECT_EQ(startsIn(tzid, "20461215T100000", utc(2046, 12, 1), utc(2047, 1, 1)),
              (std::vector{utc(2046, 12, 15, 9)}))
        << tzid;
  }
}

TEST_F(ZoneTimesTest, GapsAndRepeatsReadAlikeInNamedAndOwnZones) {
  for (const char* tzid : {"Europe/Berlin", "Own Berlin"}) {
    // 02:30 in the spring gap is 03:30 summer time; the repeated 02:30 in
    // autumn is the first, still summer time; 2041 has both too.
    EXPECT_EQ(startsIn(tzid, "20280326T023000", utc(2028, 3, 25), utc(2028, 3, 27)),
              (std::vector{utc(2028, 3, 26, 1, 30)}))
        << tzid;
    EXPECT_EQ(startsIn(tzid, "20281029T023000", utc(2028, 10, 28), utc(2028, 10, 30)),
              (std::vector{utc(2028, 10, 29, 0, 30)}))
        << tzid;
    EXPECT_EQ(startsIn(tzid, "20411027T023000", utc(2041, 10, 26), utc(2041, 10, 28)),
              (std::vector{utc(2041, 10, 27, 0, 30)}))
        << tzid;
  }
}

}  // namespace
}  // namespace calendarstore::testing
