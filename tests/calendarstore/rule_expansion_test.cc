// Rule expansion: seeded random rules against libical's iterator, rules that
// once held the store or answered wrong, several rules in one event, and the
// fetch that would hold too many occurrences.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <random>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/occurrence_expander.h"
#include "platform/foundation/civil_days.h"
#include "platform/foundation/string.h"

namespace calendarstore::testing {
namespace {

using foundation::Date;
using std::chrono::seconds;

Date utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return Date{seconds{foundation::wallSeconds({y, mo, d, h, mi, s})}};
}

ItemRecord eventOf(const std::string& lines) {
  ZoneTable zones(foundation::fixedOffsetZone(0));
  ReadOutcome read = readItemFile("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\n"
                                  "UID:e\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Rare\r\n" +
                                      lines + "END:VEVENT\r\nEND:VCALENDAR\r\n",
                                  zones);
  EXPECT_TRUE(read.item) << read.problem;
  return read.item ? *read.item : ItemRecord{};
}

std::vector<Date> startsOf(const ItemRecord& event, Date from, Date to) {
  std::vector<Date> starts;
  for (const Occurrence& o : occurrencesBetween(event, from, to)) starts.push_back(o.start);
  return starts;
}

TEST(RuleExpansionRegressions, RareAndImpossibleSubDailyRulesYieldOnlyTheirDates) {
  // Once searched hour by hour, minute by minute or second by second.
  for (const char* rule : {"FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30", "FREQ=MINUTELY;BYMONTH=4;BYMONTHDAY=31",
                           "FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30", "FREQ=SECONDLY;BYYEARDAY=-367"}) {
    const ItemRecord e = eventOf(std::string("DTSTART:20260101T090000Z\r\nDURATION:PT1S\r\nRRULE:") + rule + "\r\n");
    EXPECT_EQ(startsOf(e, utc(2026, 1, 1), utc(2036, 1, 1)), std::vector<Date>{utc(2026, 1, 1, 9)}) << rule;
  }
  // Leap days only; of 03:00:07, :08 and :09 only the even second is on the grid.
  const ItemRecord leap = eventOf(
      "DTSTART:20260101T090000Z\r\nDURATION:PT1S\r\n"
      "RRULE:FREQ=SECONDLY;INTERVAL=2;BYMONTH=2;BYMONTHDAY=29;BYHOUR=3;BYMINUTE=0;BYSECOND=7,8,9\r\n");
  EXPECT_EQ(startsOf(leap, utc(2027, 1, 1), utc(2033, 1, 1)),
            (std::vector<Date>{utc(2028, 2, 29, 3, 0, 8), utc(2032, 2, 29, 3, 0, 8)}));
}

TEST(RuleExpansionRegressions, LargeIntervalsKeepTheirGrid) {
  const ItemRecord e = eventOf("DTSTART:20260101T090000Z\r\nDURATION:PT1H\r\nRRULE:FREQ=HOURLY;INTERVAL=7919;BYHOUR=3\r\n");
  EXPECT_EQ(startsOf(e, utc(2026, 1, 1), utc(2036, 1, 1)),
            (std::vector<Date>{utc(2026, 1, 1, 9), utc(2031, 6, 4, 3)}));
  // A rule of seconds started long before the range: every second of it.
  const ItemRecord s = eventOf("DTSTART:19990101T000000Z\r\nDURATION:PT1S\r\nRRULE:FREQ=SECONDLY\r\n");
  const auto starts = startsOf(s, utc(2026, 5, 1, 10), utc(2026, 5, 1, 11));
  ASSERT_EQ(starts.size(), 3600u);
  EXPECT_EQ(starts.front(), utc(2026, 5, 1, 10));
  EXPECT_EQ(starts.back(), utc(2026, 5, 1, 10, 59, 59));
}

TEST(RuleExpansionRegressions, CountStartsAtTheEventsStartAndIsCountedByWholeDays) {
  // DTSTART is the first of a COUNT even when the rule would not yield it.
  const ItemRecord monthly =
      eventOf("DTSTART:20260110T100000Z\r\nDURATION:PT1H\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=15;COUNT=3\r\n");
  EXPECT_EQ(startsOf(monthly, utc(2026, 1, 1), utc(2027, 1, 1)),
            (std::vector<Date>{utc(2026, 1, 10, 10), utc(2026, 1, 15, 10), utc(2026, 2, 15, 10)}));
  // Every Monday second since 1970, a billion of them: 2026's Mondays hold some.
  const ItemRecord seconds =
      eventOf("DTSTART:19700105T000000Z\r\nDURATION:PT1S\r\nRRULE:FREQ=SECONDLY;BYDAY=MO;COUNT=1000000000\r\n");
  // 2,922 Mondays of 86,400 seconds by 2026: far fewer than a billion.
  EXPECT_EQ(startsOf(seconds, utc(2026, 1, 5, 12), utc(2026, 1, 5, 12, 0, 3)).size(), 3u);
  EXPECT_EQ(ruleInstancesBefore(seconds, utc(1970, 1, 12)), 86400);
  // A daily COUNT that ended decades ago.
  const ItemRecord ended = eventOf("DTSTART:19700101T080000Z\r\nDURATION:PT1H\r\nRRULE:FREQ=DAILY;COUNT=10000\r\n");
  EXPECT_TRUE(startsOf(ended, utc(2026, 1, 1), utc(2036, 1, 1)).empty());
  EXPECT_EQ(startsOf(ended, utc(1997, 5, 18), utc(1997, 5, 20)), std::vector<Date>{utc(1997, 5, 18, 8)});
  // A short COUNT fetched without bounds is its count, far under the limit.
  const ItemRecord trial = eventOf("DTSTART:20261201T160000Z\r\nDURATION:PT1H\r\nRRULE:FREQ=DAILY;COUNT=10\r\n");
  EXPECT_EQ(startsOf(trial, foundation::distantPast(), foundation::distantFuture()).size(), 10u);
  EXPECT_EQ(ruleInstancesBefore(trial, utc(3000, 1, 1)), 10);
}

TEST(RuleExpansionRegressions, EveryRuleOfTheEventCountsOnce) {
  const ItemRecord e = eventOf(
      "DTSTART:20260105T090000Z\r\nDURATION:PT1H\r\nRRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=3\r\n"
      "RRULE:FREQ=DAILY;INTERVAL=7;UNTIL=20260120T090000Z\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=1\r\n");
  EXPECT_EQ(startsOf(e, utc(2026, 1, 1), utc(2026, 3, 1)),
            (std::vector<Date>{utc(2026, 1, 5, 9), utc(2026, 1, 12, 9), utc(2026, 1, 19, 9), utc(2026, 2, 1, 9)}));
  EXPECT_TRUE(isOriginal(e, utc(2026, 2, 1, 9)));
  EXPECT_EQ(ruleInstancesBefore(e, utc(2026, 1, 19, 9)), 2);  // the first rule's COUNT
}

TEST(RuleExpansionRegressions, ADaySkippedByTheZoneHoldsTheNextDaysInstant) {
  // Apia went from UTC-10 to UTC+14 after 29 December 2011: 30 December 10:00
  // is read with the offset before the gap, the instant of 31 December 10:00.
  const ItemRecord e = eventOf(
      "DTSTART;TZID=Pacific/Apia:20111228T100000\r\nDURATION:PT1H\r\nRRULE:FREQ=DAILY;COUNT=5\r\n");
  EXPECT_EQ(startsOf(e, utc(2011, 12, 1), utc(2012, 2, 1)),
            (std::vector<Date>{utc(2011, 12, 28, 20), utc(2011, 12, 29, 20), utc(2011, 12, 30, 20),
                               utc(2011, 12, 31, 20)}));
}

TEST(RuleExpansionLimit, AFetchOfTooManyOccurrencesFailsAndSaysSo) {
  const ItemRecord e = eventOf("DTSTART:20260101T000000Z\r\nDURATION:PT1S\r\nRRULE:FREQ=SECONDLY\r\n");
  EXPECT_EQ(startsOf(e, utc(2026, 3, 1), utc(2026, 3, 2, 3, 46, 40)).size(), 100000u);
  try {
    occurrencesBetween(e, utc(2026, 3, 1), utc(2026, 3, 2, 3, 46, 41));
    ADD_FAILURE() << "no error";
  } catch (const zylo::CalendarStoreException& error) {
    EXPECT_EQ(error.reason(), foundation::fromUtf8("The range holds more than 100,000 occurrences of the event "
                                                    "\u201cRare\u201d; fetch a shorter range."));
  }
  // Ten years are refused without making the first hundred thousand; a
  // thousand exceptions do not bring them under the limit.
  EXPECT_THROW(occurrencesBetween(e, utc(2026, 3, 1), utc(2036, 3, 1)), zylo::CalendarStoreException);
  std::string excluded;
  for (int i = 0; i < 1000; ++i) {
    char line[40];
    std::snprintf(line, sizeof line, "EXDATE:20260302T00%02d%02dZ\r\n", i / 60, i % 60);
    excluded += line;
  }
  const ItemRecord fewer = eventOf("DTSTART:20260101T000000Z\r\nDURATION:PT1S\r\nRRULE:FREQ=SECONDLY\r\n" + excluded);
  EXPECT_THROW(occurrencesBetween(fewer, utc(2026, 3, 1), utc(2026, 3, 6)), zylo::CalendarStoreException);
}

// --- Against libical ----------------------------------------------------------

// The instants after `start` (UTC) and before `to` that libical's iterator
// yields, at most `most`, ascending and each once (libical yields a day's
// hours in the order BYHOUR lists them, and a value listed twice twice).
std::vector<Date> libicalDates(const std::string& rule, const foundation::LocalDateTime& start, Date to,
                               size_t most) {
  std::vector<Date> out;
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", start.year, start.month, start.day, start.hour,
                start.minute, start.second);
  icalrecur_iterator* it = icalrecur_iterator_new(icalrecurrencetype_from_string(rule.c_str()),
                                                  icaltime_from_string(text));
  if (!it) return out;
  const Date first{seconds{foundation::wallSeconds(start)}};
  for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && out.size() < most;
       t = icalrecur_iterator_next(it)) {
    const Date at{seconds{foundation::wallSeconds({t.year, t.month, t.day, t.hour, t.minute, t.second})}};
    if (at >= to + std::chrono::days{2}) break;  // a day's hours may come out of order
    if (at > first && at < to) out.push_back(at);
  }
  icalrecur_iterator_free(it);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// UTC times as text, so that a difference reads at a glance.
std::vector<std::string> textOf(const std::vector<Date>& dates) {
  std::vector<std::string> out;
  for (Date d : dates) {
    const auto l = foundation::localFields(d.time_since_epoch().count());
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", l.year, l.month, l.day, l.hour, l.minute,
                  l.second);
    out.push_back(text);
  }
  return out;
}

std::string randomRule(std::mt19937& rng) {
  auto chance = [&](double p) { return std::uniform_real_distribution<>(0, 1)(rng) < p; };
  auto in = [&](int low, int high) { return std::uniform_int_distribution<>(low, high)(rng); };
  static const char* const kFreqs[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  static const char* const kDays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
  const std::string freq = kFreqs[in(0, 3)];
  std::string rule = "FREQ=" + freq;
  if (chance(0.3)) rule += ";INTERVAL=" + std::to_string(in(2, 5));
  // libical keeps a yearly rule's month days and weekdays to the start's
  // month unless BYMONTH names months, and reads no month day from the end
  // in a daily rule.
  if (freq == "YEARLY" || chance(0.3)) {
    rule += ";BYMONTH=" + std::to_string(in(1, 12)) + "," + std::to_string(in(1, 12));
  }
  if (freq != "WEEKLY" && chance(0.3)) {
    rule += ";BYMONTHDAY=" + std::to_string(in(1, 31)) + "," + std::to_string(freq == "DAILY" ? in(1, 31) : -in(1, 31));
  }
  if (chance(0.4)) {
    const bool numbered = (freq == "MONTHLY" || freq == "YEARLY") && chance(0.5);
    rule += ";BYDAY=";
    for (int i = 0, n = in(1, 3); i < n; ++i) {
      if (i) rule += ",";
      if (numbered) rule += std::to_string(chance(0.5) ? in(1, 4) : -in(1, 4));
      rule += kDays[in(0, 6)];
    }
  }
  if (chance(0.2)) rule += ";BYHOUR=" + std::to_string(in(0, 23)) + "," + std::to_string(in(0, 23));
  if (chance(0.2)) rule += ";WKST=" + std::string(kDays[in(0, 6)]);
  return rule;
}

// Daily and longer rules in UTC, with their month, month day, weekday and
// hour lists: shapes libical walks quickly and right.
TEST(RuleExpansionAgainstLibical, SeededRandomRulesYieldTheSameDates) {
  std::mt19937 rng(3310);
  for (int n = 0; n < 400; ++n) {
    const std::string rule = randomRule(rng);
    const foundation::LocalDateTime start{std::uniform_int_distribution<>(2020, 2030)(rng),
                                          std::uniform_int_distribution<>(1, 12)(rng),
                                          std::uniform_int_distribution<>(1, 28)(rng), 9, 30, 0};
    char dtstart[40];
    std::snprintf(dtstart, sizeof dtstart, "DTSTART:%04d%02d%02dT093000Z\r\n", start.year, start.month, start.day);
    const ItemRecord e = eventOf(std::string(dtstart) + "DURATION:PT1M\r\nRRULE:" + rule + "\r\n");
    const Date from{seconds{foundation::wallSeconds(start)}};
    const Date to = from + std::chrono::days{5 * 366};
    std::vector<Date> ours = startsOf(e, from, to);
    ours.erase(ours.begin());  // the start, which libical yields too whether or not the rule does
    std::vector<Date> theirs = libicalDates(rule, start, to, 3000);
    // Where libical stopped early, up to a date it surely reached.
    if (theirs.size() > 2000) {
      const Date reached = theirs[2000];
      std::erase_if(ours, [&](Date d) { return d >= reached; });
      std::erase_if(theirs, [&](Date d) { return d >= reached; });
    }
    const auto a = textOf(ours), b = textOf(theirs);
    const auto [mine, libicals] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    EXPECT_TRUE(mine == a.end() && libicals == b.end())
        << "RRULE:" << rule << " from " << dtstart << ": first difference at " << (mine - a.begin()) << ", "
        << (mine == a.end() ? "none" : *mine) << " where libical yields " << (libicals == b.end() ? "none" : *libicals);
  }
}

}  // namespace
}  // namespace calendarstore::testing
