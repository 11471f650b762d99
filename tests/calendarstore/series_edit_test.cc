// The wall-clock arithmetic of series edits, on its own: rule days, times
// in each form, and the UNTIL that ends a series.
#include "platform/calendarstore/series_edit.h"

#include <gtest/gtest.h>

#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

using foundation::LocalDateTime;
using std::chrono::days;
using std::chrono::hours;
using std::chrono::seconds;

std::string ruleAfter(const char* rule, const LocalDateTime& start, seconds shift) {
  icalrecurrencetype r = icalrecurrencetype_from_string(rule);
  shiftRuleDays(r, start, shift);
  char* text = icalrecurrencetype_as_string_r(&r);
  std::string out(text);
  icalmemory_free_buffer(text);
  return out;
}

std::string asText(const icaltimetype& t) {
  char* text = icaltime_as_ical_string_r(t);
  std::string out(text);
  icalmemory_free_buffer(text);
  return out;
}

TEST(SeriesEdit, RuleDaysMoveWithTheStartsDay) {
  const LocalDateTime wednesday{2027, 6, 2, 23, 0, 0};
  EXPECT_EQ(ruleAfter("FREQ=WEEKLY;BYDAY=MO,WE", wednesday, days{1}), "FREQ=WEEKLY;BYDAY=TU,TH");
  // Two hours later is the next day: the days move although the shift is short.
  EXPECT_EQ(ruleAfter("FREQ=WEEKLY;BYDAY=MO,WE", wednesday, hours{2}), "FREQ=WEEKLY;BYDAY=TU,TH");
  EXPECT_EQ(ruleAfter("FREQ=WEEKLY;BYDAY=MO,WE", wednesday, hours{-2}), "FREQ=WEEKLY;BYDAY=MO,WE");
  EXPECT_EQ(ruleAfter("FREQ=WEEKLY;BYDAY=MO", wednesday, days{-3}), "FREQ=WEEKLY;BYDAY=FR");
  EXPECT_EQ(ruleAfter("FREQ=MONTHLY;BYDAY=2TU,-1FR", wednesday, days{1}), "FREQ=MONTHLY;BYDAY=2WE,-1SA");
  EXPECT_EQ(ruleAfter("FREQ=MONTHLY;BYMONTHDAY=2,31,-1", wednesday, days{1}),
            "FREQ=MONTHLY;BYMONTHDAY=3,1,1");
  EXPECT_EQ(ruleAfter("FREQ=MONTHLY;BYMONTHDAY=2,-1", wednesday, days{-2}), "FREQ=MONTHLY;BYMONTHDAY=31,-3");
  // New Year's Eve moved by a day is in January.
  EXPECT_EQ(ruleAfter("FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=31", {2027, 12, 31, 10, 0, 0}, days{1}),
            "FREQ=YEARLY;BYMONTHDAY=1;BYMONTH=1");
}

TEST(SeriesEdit, TimesMoveOnTheWallClockInTheirOwnForm) {
  const auto berlin = foundation::namedZone("Europe/Berlin");
  ASSERT_NE(berlin, nullptr);
  icaltimetype utcTime = icaltime_from_string("20270327T090000Z");  // 10:00 in Berlin, winter
  EXPECT_EQ(asText(shiftedTime(utcTime, days{1}, 1, *berlin)), "20270328T080000Z");  // 10:00 summer
  icaltimetype local = icaltime_from_string("20270327T100000");
  EXPECT_EQ(asText(shiftedTime(local, days{1} + hours{1}, 1, *berlin)), "20270328T110000");
  icaltimetype date = icaltime_from_string("20270227");
  EXPECT_EQ(asText(shiftedTime(date, days{2}, 2, *berlin)), "20270301");
  // 10:00 on both sides of the change is two calendar days, 47 hours apart.
  const WallShift shift = wallShiftBetween(utc(2027, 3, 26, 9), utc(2027, 3, 26, 10), utc(2027, 3, 28, 8),
                                           utc(2027, 3, 28, 9), *berlin);
  EXPECT_EQ(shift.start, days{2});
  EXPECT_EQ(shift.end, days{2});
  EXPECT_EQ(dayShift({2027, 3, 26, 23, 0, 0}, hours{2}), 1);
}

TEST(SeriesEdit, UntilTakesTheFormItsStartRequires) {
  const auto berlin = foundation::namedZone("Europe/Berlin");
  const foundation::Date original = utc(2027, 6, 10, 8);  // 10:00 in Berlin
  StoredTime zoned{original, {2027, 6, 10, 10, 0, 0}, berlin, false, false};
  EXPECT_EQ(asText(untilBefore(original, zoned)), "20270610T075959Z");
  StoredTime floating = zoned;
  floating.isFloating = true;
  EXPECT_EQ(asText(untilBefore(original, floating)), "20270610T095959");
  StoredTime day{utc(2027, 6, 9, 22), {2027, 6, 10, 0, 0, 0}, berlin, true, false};
  EXPECT_EQ(asText(untilBefore(utc(2027, 6, 9, 22), day)), "20270609");
}

}  // namespace
}  // namespace calendarstore::testing
