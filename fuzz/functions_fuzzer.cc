// The external functions as a script might call them, in any order and
// with any arguments: the input is decoded into a short sequence of calls
// with keywords, texts, numbers and timestamps, against a store in a temp
// folder. Nothing may crash, and every call must answer the host.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/fmx/host/host_api.h"
#include "plugin/platform_services.h"
#include "plugin/plugin_entry.h"

namespace {

using namespace std::chrono;

const foundation::Date kNow = sys_days{year{2026} / 6 / 15} + hours{12};

const char* const kWords[] = {
    "event", "task", "calendar", "attendee", "alarm", "recurrencerule", "title", "startdate",
    "enddate", "location", "notes", "url", "uid", "isallday", "duedate", "priority", "iscompleted",
    "completeddate", "color", "calendartitle", "calendaruid", "occurrence", "this", "future", "all",
    "daily", "weekly", "monthly", "yearly", "incomplete", "completed", "text", "number", "Home",
    "Work", "1\r2\r-1", "2,3", "-1,6", "255 0 128", "true", "", "frequency", "interval",
    "daysoftheweek", "nthweekdays", "https://example.org/x", "\xc3\xa9t\xc3\xa9"};

// Reads the input a byte at a time; past its end every read is 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool more() const { return at_ < size_; }
  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::u16string bytes(size_t n) {
    std::string s;
    while (n-- > 0 && more()) s.push_back(static_cast<char>(byte()));
    return foundation::fromUtf8(s);
  }

 private:
  const uint8_t* data_;
  size_t size_, at_ = 0;
};

fmxhost::Value argument(Input& in) {
  switch (in.byte() % 5) {
    case 0: return {foundation::fromUtf8(kWords[in.byte() % std::size(kWords)])};
    case 1: return {in.bytes(in.byte() % 24)};
    case 2: return {fmxhost::Number::fromInt(static_cast<int8_t>(in.byte()))};
    case 3:
      return {fmxhost::Timestamp{{2026, 1 + in.byte() % 12, 1 + in.byte() % 28},
                                 {in.byte() % 24, in.byte() % 60, 0, 0}}};
    default: return {std::u16string()};
  }
}

// A store in a temp folder, with two calendars and a repeating event.
void setUp() {
  const auto root = std::filesystem::temp_directory_path() / ("zylo-fuzz-" + std::to_string(::getpid()));
  std::filesystem::remove_all(root);
  for (const char* name : {"Home", "Work"}) {
    std::filesystem::create_directories(root / name);
    std::ofstream(root / name / "displayname") << name << "\n";
  }
  std::ofstream(root / "Work" / "r.ics")
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fuzz//EN\r\nBEGIN:VEVENT\r\nUID:r\r\n"
         "DTSTART:20260601T100000Z\r\nDTEND:20260601T110000Z\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:R\r\n"
         "ATTENDEE;CN=A:mailto:a@example.org\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  // Rules that rarely or never match, and one of seconds: every fetch expands them.
  std::ofstream(root / "Home" / "p.ics")
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fuzz//EN\r\nBEGIN:VEVENT\r\nUID:p\r\n"
         "DTSTART:19700101T000000Z\r\nDURATION:PT1S\r\nRRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30\r\n"
         "RRULE:FREQ=MINUTELY;INTERVAL=7919;BYMONTH=4;BYMONTHDAY=31,-1;BYSETPOS=1\r\n"
         "RRULE:FREQ=SECONDLY;COUNT=1000000000;BYDAY=MO\r\nSUMMARY:P\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  auto store = std::make_shared<calendarstore::VdirCalendarStore>(
      root, foundation::fixedOffsetZone(3600), foundation::fixedClock(kNow));
  zylo::installPlatformServices({foundation::fixedOffsetZone(3600),
                                 foundation::environmentOsVersion(), [store] { return store; },
                                 [] {}, [] {}});
  FMX_ExternCallStruct call{};
  call.whichCall = kFMXT_Init;
  call.extnVersion = 60;
  FMExternCallProc(&call);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  const auto& functions = fmxhost::registeredFunctions();
  if (functions.empty()) return 0;
  Input in(data, size);
  for (int calls = 0; calls < 8 && in.more(); ++calls) {
    const fmxhost::Function& f = functions[in.byte() % functions.size()];
    const int count = f.minArgs + (f.maxArgs > f.minArgs ? in.byte() % (f.maxArgs - f.minArgs + 1) : 0);
    std::vector<fmxhost::Value> params;
    for (int i = 0; i < count; ++i) params.push_back(argument(in));
    if (fmxhost::callFunction(f, params).hostError != 0) __builtin_trap();
  }
  return 0;
}
