#include "tests/functions/sample_calendars.h"

#include <fstream>
#include <string>

namespace zylo::testing {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// One iCalendar file holding `component`, with CRLF line ends.
void writeItem(const fs::path& path, const std::string& component) {
  std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Test//Sample//EN\n" + component +
                     "END:VCALENDAR\n";
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  write(path, crlf);
}

}  // namespace

void writeSampleCalendars(const fs::path& root) {
  fs::create_directories(root / "home");
  fs::create_directories(root / "work");
  write(root / "home" / "displayname", "Home\n");
  write(root / "home" / "color", "#2DA44E\n");
  write(root / "work" / "displayname", "Work\n");
  writeItem(root / "home" / "party.ics",
            "BEGIN:VEVENT\nUID:party\nDTSTAMP:20260501T080000Z\n"
            "DTSTART;VALUE=DATE:20260613\nDTEND;VALUE=DATE:20260614\nSUMMARY:Garden party\n"
            "END:VEVENT\n");
  writeItem(root / "home" / "nodue.ics",
            "BEGIN:VTODO\nUID:nodue\nDTSTAMP:20260501T080000Z\nSUMMARY:Paint the fence\n"
            "END:VTODO\n");
  writeItem(root / "work" / "standup.ics",
            "BEGIN:VEVENT\nUID:standup\nDTSTAMP:20260501T080000Z\n"
            "DTSTART;TZID=Europe/Berlin:20260601T093000\nDTEND;TZID=Europe/Berlin:20260601T100000\n"
            "RRULE:FREQ=WEEKLY;COUNT=10\nSUMMARY:Stand-up\nEND:VEVENT\n");
  writeItem(root / "work" / "review.ics",
            "BEGIN:VEVENT\nUID:review\nDTSTAMP:20260501T080000Z\n"
            "DTSTART;TZID=Europe/Berlin:20260603T140000\nDTEND;TZID=Europe/Berlin:20260603T150000\n"
            "SUMMARY:Design review\nLOCATION:Room 4\n"
            "ATTENDEE;CN=Ann;PARTSTAT=ACCEPTED:mailto:ann@example.org\n"
            "ATTENDEE:mailto:bob@example.org\nEND:VEVENT\n");
  writeItem(root / "work" / "report.ics",
            "BEGIN:VTODO\nUID:report\nDTSTAMP:20260501T080000Z\nDUE;VALUE=DATE:20260619\n"
            "PRIORITY:1\nSUMMARY:Send the report\nEND:VTODO\n");
  writeItem(root / "work" / "done.ics",
            "BEGIN:VTODO\nUID:done\nDTSTAMP:20260501T080000Z\nCOMPLETED:20260602T100000Z\n"
            "STATUS:COMPLETED\nSUMMARY:Book the room\nEND:VTODO\n");
}

}  // namespace zylo::testing
