// Rules that never or rarely match, with huge intervals, BYSETPOS below a
// day, COUNTs started decades ago and far UNTILs: each file's fetch of a
// month and of ten years must stay under 20 ms beyond a few microseconds per
// occurrence it yields.
#include <benchmark/benchmark.h>

#include <string>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/occurrence_expander.h"

namespace {

using namespace std::chrono;

struct Pathological {
  const char* start;  // the DTSTART line
  const char* rules;  // RRULE lines
};

const Pathological kRules[] = {
    {"DTSTART:20260101T090000Z", "RRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30"},
    {"DTSTART:20260101T090000Z", "RRULE:FREQ=MINUTELY;BYMONTH=4;BYMONTHDAY=31"},
    {"DTSTART:20260101T090000Z", "RRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30"},
    {"DTSTART;TZID=Europe/Berlin:19700101T000000", "RRULE:FREQ=SECONDLY;BYYEARDAY=366;BYHOUR=3;BYMINUTE=7"},
    {"DTSTART;TZID=Europe/Berlin:19700101T000000", "RRULE:FREQ=MINUTELY;BYDAY=MO;BYMONTH=2;BYMONTHDAY=29"},
    {"DTSTART:19700101T000000Z", "RRULE:FREQ=SECONDLY;BYWEEKNO=53;BYDAY=TH"},
    {"DTSTART:20260101T090000Z", "RRULE:FREQ=HOURLY;INTERVAL=7919;BYHOUR=3"},
    {"DTSTART:19000101T000000Z", "RRULE:FREQ=HOURLY;INTERVAL=32767;BYMONTH=6"},
    {"DTSTART:19000101T000000Z", "RRULE:FREQ=SECONDLY;INTERVAL=86399;BYHOUR=0;BYMINUTE=0"},
    {"DTSTART:19000101T000000Z", "RRULE:FREQ=MINUTELY;INTERVAL=2;BYMINUTE=1,3,5,7,9"},
    {"DTSTART:19000101T000000Z",
     "RRULE:FREQ=SECONDLY;INTERVAL=2;BYSECOND=1,3,5,7,9,11,13,15,17,19,21,23,25,27,29,31,33,35,37,39,41,43,45,47,"
     "49,51,53,55,57,59"},
    {"DTSTART:19000101T000000Z", "RRULE:FREQ=SECONDLY;INTERVAL=7;BYHOUR=23;BYMINUTE=59;BYSECOND=59;BYMONTH=12"},
    {"DTSTART;TZID=America/New_York:20000101T000000", "RRULE:FREQ=HOURLY;BYMINUTE=0,30;BYSETPOS=-1"},
    {"DTSTART;TZID=Australia/Lord_Howe:20000101T000000", "RRULE:FREQ=MINUTELY;INTERVAL=1439;BYSECOND=0,30;BYSETPOS=2"},
    {"DTSTART:19700105T000000Z", "RRULE:FREQ=SECONDLY;COUNT=2000000000;BYDAY=SU;BYHOUR=4;BYMINUTE=0"},
    {"DTSTART:19000101T080000Z", "RRULE:FREQ=DAILY;COUNT=100000"},
    {"DTSTART:19040101T000000Z", "RRULE:FREQ=MINUTELY;COUNT=1000000000;BYMONTH=2;BYMONTHDAY=29"},
    {"DTSTART:19000101T000000Z", "RRULE:FREQ=SECONDLY;COUNT=2000000000;BYHOUR=12;BYMINUTE=0;BYSECOND=0"},
    {"DTSTART:19700101T000000Z", "RRULE:FREQ=SECONDLY;UNTIL=29991231T000000Z;BYMONTH=1;BYMONTHDAY=1;BYHOUR=0;BYMINUTE=0"},
    {"DTSTART;TZID=Pacific/Apia:19000101T000000",
     "RRULE:FREQ=YEARLY;BYWEEKNO=53;BYDAY=TH;BYHOUR=0,12;BYMINUTE=0,15,30,45;BYSETPOS=-1"},
    {"DTSTART:16000101T000000Z", "RRULE:FREQ=YEARLY;INTERVAL=400;BYMONTH=2;BYMONTHDAY=29"},
    {"DTSTART:19700101T000000Z",
     "RRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30\r\nRRULE:FREQ=MINUTELY;BYMONTH=4;BYMONTHDAY=31\r\n"
     "RRULE:FREQ=SECONDLY;COUNT=1000000000;BYYEARDAY=366;BYHOUR=12;BYMINUTE=0"},
};

calendarstore::ItemRecord eventOf(const Pathological& p) {
  static calendarstore::ZoneTable zones(foundation::fixedOffsetZone(0));
  const std::string text = std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\n") +
                           "UID:p\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:P\r\nDURATION:PT1S\r\n" + p.start + "\r\n" +
                           p.rules + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  return *calendarstore::readItemFile(text, zones).item;
}

// Args: the rule, and the days fetched from 1 June 2026.
void BM_FetchPathologicalRule(benchmark::State& state) {
  const Pathological& p = kRules[state.range(0)];
  const calendarstore::ItemRecord event = eventOf(p);
  const foundation::Date from = sys_days{year{2026} / 6 / 1};
  const foundation::Date to = from + days{state.range(1)};
  size_t yielded = 0;
  for (auto _ : state) {
    auto found = calendarstore::occurrencesBetween(event, from, to);
    yielded = found.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["occurrences"] = static_cast<double>(yielded);
  state.SetLabel(p.rules);
}

void pathologicalArgs(benchmark::internal::Benchmark* b) {
  for (int64_t rule = 0; rule < static_cast<int64_t>(std::size(kRules)); ++rule) {
    for (int64_t span : {30, 3652}) b->Args({rule, span});
  }
}
BENCHMARK(BM_FetchPathologicalRule)->Apply(pathologicalArgs)->Unit(benchmark::kMillisecond);

// A rule of seconds over ten years: how long the fetch takes to refuse.
void BM_RefuseTooManyOccurrences(benchmark::State& state) {
  const calendarstore::ItemRecord event = eventOf({"DTSTART:20000101T000000Z", "RRULE:FREQ=SECONDLY"});
  const foundation::Date from = sys_days{year{2026} / 6 / 1};
  for (auto _ : state) {
    try {
      calendarstore::occurrencesBetween(event, from, from + days{3652});
      state.SkipWithError("not refused");
    } catch (const zylo::CalendarStoreException&) {
    }
  }
}
BENCHMARK(BM_RefuseTooManyOccurrences)->Unit(benchmark::kMillisecond);

}  // namespace
