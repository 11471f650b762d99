// A small vdir of calendars written into a folder, as another calendar
// program would leave it. Times are in Europe/Berlin (summer time, GMT+2).
//
// Home (colour #2DA44E): "party", all day on Saturday 13 June 2026; task
//   "nodue" without a due date.
// Work: "standup", Mondays 09:30-10:00 from 1 June 2026, ten times;
//   "review", 3 June 14:00-15:00 in Room 4 with attendees Ann (accepted)
//   and Bob (no name, no status); task "report" due 19 June (a date),
//   priority high; task "done", completed 2 June 10:00 GMT.
#ifndef ZYLO_TESTS_FUNCTIONS_SAMPLE_CALENDARS_H_
#define ZYLO_TESTS_FUNCTIONS_SAMPLE_CALENDARS_H_

#include <filesystem>

namespace zylo::testing {

void writeSampleCalendars(const std::filesystem::path& root);

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_FUNCTIONS_SAMPLE_CALENDARS_H_
