// Files other programs write against the rules, or as the rules allow but
// rarely: read as their senders meant them, checked against
// python3-recurring-ical-events and CLDR read by Python, and listed as
// repaired.
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/calendarstore/item_reader.h"
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

using foundation::Date;
using zylo::CalSpan;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int64_t secondsOf(Date d) { return d.time_since_epoch().count(); }

// Prints each occurrence recurring_ical_events reads in a file between two
// dates, as UTC seconds of its start and end; dates count from midnight in
// the zone named.
const char kOccurrences[] = R"py(
import datetime, sys, zoneinfo
import icalendar, recurring_ical_events
path, zone, first, last = sys.argv[1], zoneinfo.ZoneInfo(sys.argv[2]), sys.argv[3], sys.argv[4]
def seconds(t):
    if not isinstance(t, datetime.datetime):
        t = datetime.datetime(t.year, t.month, t.day)
    if t.tzinfo is None:
        t = t.replace(tzinfo=zone)
    return int(t.timestamp())
calendar = icalendar.Calendar.from_ical(open(path, 'rb').read())
for e in recurring_ical_events.of(calendar).between(datetime.date.fromisoformat(first), datetime.date.fromisoformat(last)):
    print(seconds(e['DTSTART'].dt), seconds(e['DTEND'].dt))
)py";

// For every Windows zone CLDR maps, by its name and by its label (as
// written now and with the older "GMT"), a seeded random wall time and the
// UTC seconds zoneinfo gives it in CLDR's zone.
const char kWindowsZones[] = R"py(
import datetime, random, re, sys, zoneinfo
text = open('/usr/share/unicode/cldr/common/supplemental/windowsZones.xml').read()
rng = random.Random(int(sys.argv[1]))
label = None
for line in text.splitlines():
    m = re.search(r'<!-- (\(UTC.*) -->', line)
    if m:
        label = m.group(1)
        continue
    m = re.search(r'other="([^"]+)" territory="001" type="([^"]+)"', line)
    if not m:
        continue
    zone = zoneinfo.ZoneInfo(m.group(2))
    for name in (m.group(1), label, label.replace('(UTC', '(GMT', 1)):
        wall = datetime.datetime(rng.randint(1990, 2035), rng.randint(1, 12), rng.randint(1, 28),
                                 rng.randint(0, 23), rng.choice([0, 30]))
        print('%s\t%s\t%s\t%d' % (name, m.group(2), wall.strftime('%Y%m%dT%H%M%S'),
                                  int(wall.replace(tzinfo=zone).timestamp())))
)py";

class ReadAsMeantTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Cal");
  }
  void TearDown() override {
    std::filesystem::remove(script());
    StoreTest::TearDown();
  }
  std::filesystem::path script() const { return root_.string() + ".py"; }

  // What /usr/bin/python3 prints running `code` with `arguments`.
  std::string python(const char* code, const std::string& arguments) {
    if (!std::filesystem::exists("/usr/bin/python3")) return {};
    std::ofstream(script()) << code;
    std::string out;
    FILE* pipe = ::popen(("/usr/bin/python3 " + script().string() + " " + arguments).c_str(), "r");
    if (pipe == nullptr) return {};
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << "the oracle failed";
    return out;
  }

  using Spans = std::vector<std::pair<int64_t, int64_t>>;
  // The occurrences of cal/item.ics between two dates (ISO text), as the
  // oracle reads the file and as the store fetches them.
  Spans oracle(const std::string& first, const std::string& last) {
    std::istringstream lines(python(kOccurrences, (root_ / "cal/item.ics").string() + " Europe/Berlin " + first +
                                                      " " + last));
    Spans spans;
    for (int64_t start, end; lines >> start >> end;) spans.emplace_back(start, end);
    std::sort(spans.begin(), spans.end());
    return spans;
  }
  Spans fetched(Date from, Date to) {
    Spans spans;
    for (const auto& e : *events(from, to)) spans.emplace_back(secondsOf(*e->startDate()), secondsOf(*e->endDate()));
    std::sort(spans.begin(), spans.end());
    return spans;
  }
  std::vector<std::string> repairs() {
    std::vector<std::string> list;
    for (const auto& [path, repair] : store_->repairedFiles()) list.push_back(path.filename().string() + ": " + repair);
    return list;
  }
  std::shared_ptr<zylo::CalEvent> open(Date occurrence) {
    auto e = store_->eventWithUID(u"u", occurrence);
    EXPECT_NE(e, nullptr);
    return e ? std::make_shared<zylo::CalEvent>(*e) : zylo::CalEvent::event();
  }
  // The number of VEVENTs of cal/item.ics without a RECURRENCE-ID.
  int mastersInFile() {
    const std::string text = readFile("cal/item.ics");
    int masters = 0;
    for (size_t at = 0; (at = text.find("BEGIN:VEVENT", at)) != std::string::npos; ++at) {
      const size_t end = text.find("END:VEVENT", at);
      if (text.substr(at, end - at).find("RECURRENCE-ID") == std::string::npos) ++masters;
    }
    return masters;
  }
  zylo::StoreError error_;
};

// An attendee's copy: three occurrences of a series whose organiser keeps
// the rest.
const char kInvitedOccurrences[] =
    "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID;TZID=Europe/Berlin:20260622T100000\n"
    "DTSTART;TZID=Europe/Berlin:20260622T140000\nDTEND;TZID=Europe/Berlin:20260622T150000\n"
    "SUMMARY:Moved\nEND:VEVENT\n"
    "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20260615T080000Z\nDTSTART:20260615T080000Z\nDURATION:PT1H\n"
    "SUMMARY:Invited\nEND:VEVENT\n"
    "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID;RANGE=THISANDFUTURE;TZID=Europe/Berlin:20260706T100000\n"
    "DTSTART;TZID=Europe/Berlin:20260706T110000\nDTEND;TZID=Europe/Berlin:20260706T120000\n"
    "SUMMARY:Later part\nEND:VEVENT\n";

TEST_F(ReadAsMeantTest, ChangedOccurrencesWithoutTheirSeriesShowEachAtItsOwnStart) {
  writeItem("cal", "item.ics", kInvitedOccurrences);
  store();
  const Spans seen = fetched(utc(2026, 6, 1), utc(2026, 9, 1));
  EXPECT_EQ(seen.size(), 3u);
  if (std::filesystem::exists("/usr/bin/python3")) {
    EXPECT_EQ(seen, oracle("2026-06-01", "2026-09-01"));
  }
  EXPECT_TRUE(store_->unreadableFiles().empty());
  EXPECT_TRUE(repairs().empty());
  store();  // from the index, when there is one
  EXPECT_EQ(fetched(utc(2026, 6, 1), utc(2026, 9, 1)), seen);
  auto invited = store_->eventWithUID(u"u", utc(2026, 6, 15, 8));
  ASSERT_NE(invited, nullptr);
  EXPECT_TRUE(invited->isDetached());
  // A change's extra dates are occurrences with its texts, a period's with
  // its own end (the oracle reads neither; the range of the split reaches
  // no other date, as the series is not here).
  for (const char* rdate : {"RDATE:20260720T090000Z\n", "RDATE;VALUE=PERIOD:20260720T090000Z/PT2H\n"}) {
    std::string withDate = kInvitedOccurrences;
    withDate.insert(withDate.find("SUMMARY:Later part"), rdate);
    writeItem("cal", "item.ics", withDate);
    const std::string written = readFile("cal/item.ics");
    Spans expected = seen;
    const int64_t extra = secondsOf(utc(2026, 7, 20, 9));
    expected.emplace_back(extra, extra + (contains(rdate, "PERIOD") ? 7200 : 3600));
    EXPECT_EQ(fetched(utc(2026, 6, 1), utc(2026, 9, 1)), expected) << rdate;
    auto added = store_->eventWithUID(u"u", utc(2026, 7, 20, 9));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->title(), u"Later part");
    // It belongs to the change, not to a VEVENT of its own: the file keeps it.
    added->setTitle(u"Elsewhere");
    EXPECT_FALSE(store_->saveEvent(*added, CalSpan::kThisEvent, error_));
    EXPECT_FALSE(store_->removeEvent(*added, CalSpan::kThisEvent, error_));
    EXPECT_TRUE(contains(foundation::toUtf8(*error_.localizedFailureReason), "extra date"));
    EXPECT_EQ(readFile("cal/item.ics"), written);
  }
  // A single one is an occurrence too, not an event of its own.
  writeItem("cal", "item.ics",
            "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20260615T080000Z\nDTSTART:20260615T090000Z\nEND:VEVENT\n");
  auto only = store_->eventWithUID(u"u", std::nullopt);
  ASSERT_NE(only, nullptr);
  EXPECT_EQ(only->startDate(), utc(2026, 6, 15, 9));
  EXPECT_EQ(only->occurrence(), utc(2026, 6, 15, 8));
}

TEST_F(ReadAsMeantTest, EditsOfOccurrencesWithoutTheirSeriesStayInPlace) {
  writeItem("cal", "item.ics", kInvitedOccurrences);
  store();
  auto moved = open(utc(2026, 6, 22, 8));
  moved->setTitle(u"Moved again");
  moved->setStartDate(utc(2026, 6, 22, 13));
  moved->setEndDate(utc(2026, 6, 22, 14));
  ASSERT_TRUE(store_->saveEvent(*moved, CalSpan::kThisEvent, error_)) << foundation::toUtf8(*error_.localizedFailureReason);
  EXPECT_EQ(mastersInFile(), 0);
  const std::string text = readFile("cal/item.ics");
  EXPECT_TRUE(contains(text, "DTSTART;TZID=Europe/Berlin:20260622T150000\r\n")) << text;
  EXPECT_TRUE(contains(text, "RECURRENCE-ID;TZID=Europe/Berlin:20260622T100000\r\n")) << text;
  EXPECT_TRUE(contains(text, "SUMMARY:Invited\r\n")) << text;
  EXPECT_EQ(fetched(utc(2026, 6, 1), utc(2026, 9, 1)).size(), 3u);

  // The series is not in the file: an edit for it is refused, the file kept.
  for (CalSpan span : {CalSpan::kFutureEvents, CalSpan::kAllEvents}) {
    auto e = open(utc(2026, 6, 15, 8));
    e->setTitle(u"Everywhere");
    EXPECT_FALSE(store_->saveEvent(*e, span, error_));
    EXPECT_TRUE(contains(foundation::toUtf8(*error_.localizedFailureReason), "changed occurrences"));
  }
  EXPECT_EQ(readFile("cal/item.ics"), text);

  // Removing takes the VEVENTs present; the last one takes the file.
  ASSERT_TRUE(store_->removeEvent(*open(utc(2026, 6, 22, 8)), CalSpan::kFutureEvents, error_));
  EXPECT_EQ(fetched(utc(2026, 6, 1), utc(2026, 9, 1)).size(), 1u);
  EXPECT_EQ(mastersInFile(), 0);
  ASSERT_TRUE(store_->removeEvent(*open(utc(2026, 6, 15, 8)), CalSpan::kThisEvent, error_));
  EXPECT_FALSE(std::filesystem::exists(root_ / "cal/item.ics"));
}

// A program's edit that kept the old copy: the later one counts, and a
// save leaves only it.
TEST_F(ReadAsMeantTest, TheLatestOfTwoCopiesIsRead) {
  const std::string older =
      "BEGIN:VEVENT\nUID:u\nSEQUENCE:1\nDTSTAMP:20260101T000000Z\nDTSTART:20260105T090000Z\nDURATION:PT1H\n"
      "RRULE:FREQ=WEEKLY;COUNT=40\nSUMMARY:Old\nEND:VEVENT\n";
  const std::string newer =
      "BEGIN:VEVENT\nUID:u\nSEQUENCE:2\nDTSTAMP:20251201T000000Z\nDTSTART:20260105T100000Z\nDURATION:PT1H\n"
      "RRULE:FREQ=MONTHLY;COUNT=18\nSUMMARY:New\nEND:VEVENT\n";
  for (const std::string& body : {newer + older, older + newer}) {
    writeItem("cal", "item.ics", body);
    store();
    const auto all = events(utc(2026, 1, 1), utc(2028, 1, 1));
    ASSERT_EQ(all->size(), 18u);
    EXPECT_EQ(all->front()->title(), u"New");
    EXPECT_EQ(repairs(), std::vector<std::string>{
                             "item.ics: the file holds two copies of the event; the one with the higher SEQUENCE is read"});
  }
  // Without a SEQUENCE between them, the later change; then the later
  // stamp. Copies of one changed occurrence count alike.
  writeItem("cal", "item.ics",
            "BEGIN:VEVENT\nUID:u\nDTSTAMP:20260301T000000Z\nLAST-MODIFIED:20260201T000000Z\n"
            "DTSTART:20260105T090000Z\nRRULE:FREQ=WEEKLY;COUNT=4\nSUMMARY:Changed later\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:u\nDTSTAMP:20260401T000000Z\nLAST-MODIFIED:20260101T000000Z\n"
            "DTSTART:20260105T090000Z\nRRULE:FREQ=WEEKLY;COUNT=4\nSUMMARY:Stamped later\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20260112T090000Z\nDTSTAMP:20260301T000000Z\n"
            "DTSTART:20260112T110000Z\nSUMMARY:Second\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20260112T090000Z\nDTSTAMP:20260201T000000Z\n"
            "DTSTART:20260112T120000Z\nSUMMARY:First\nEND:VEVENT\n");
  store();
  const auto all = events(utc(2026, 1, 1), utc(2026, 3, 1));
  ASSERT_EQ(all->size(), 4u);
  EXPECT_EQ(all->front()->title(), u"Changed later");
  EXPECT_EQ((*all)[1]->title(), u"Second");
  EXPECT_EQ((*all)[1]->startDate(), utc(2026, 1, 12, 11));
  EXPECT_EQ(repairs(), (std::vector<std::string>{
                           "item.ics: the file holds two copies of the event; the one with the later LAST-MODIFIED "
                           "is read",
                           "item.ics: the file holds two copies of the changed occurrence 20260112T090000Z; the one "
                           "with the later DTSTAMP is read"}));
  // The same through a new store, from the index when there is one.
  const auto listed = repairs();
  store();
  EXPECT_EQ(repairs(), listed);

  auto e = open(utc(2026, 1, 19, 9));
  e->setTitle(u"Third");
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kThisEvent, error_));
  EXPECT_EQ(mastersInFile(), 1);
  const std::string text = readFile("cal/item.ics");
  EXPECT_FALSE(contains(text, "Stamped later"));
  EXPECT_FALSE(contains(text, "SUMMARY:First"));
  EXPECT_TRUE(repairs().empty());

  // Tasks alike.
  writeItem("cal", "task.ics",
            "BEGIN:VTODO\nUID:t\nSEQUENCE:3\nSUMMARY:Done right\nEND:VTODO\n"
            "BEGIN:VTODO\nUID:t\nSEQUENCE:1\nSUMMARY:First try\nEND:VTODO\n");
  auto task = store_->taskWithUID(u"t");
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->title(), u"Done right");
}

// Date-times where an all-day series needs dates, as some programs write
// them: matched by the date written, so that the reader's zone changes
// nothing.
const char kAllDayWithTimes[] =
    "BEGIN:VEVENT\nUID:u\nDTSTART;VALUE=DATE:20260601\nDTEND;VALUE=DATE:20260602\n"
    "RRULE:FREQ=WEEKLY;UNTIL=20260803T000000Z\nEXDATE:20260608T000000Z\n"
    "EXDATE;TZID=America/New_York:20260615T000000\nSUMMARY:Day\nEND:VEVENT\n"
    "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20260622T000000Z\nDTSTART;VALUE=DATE:20260623\n"
    "DTEND;VALUE=DATE:20260624\nSUMMARY:Day moved\nEND:VEVENT\n"
    "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID;TZID=Asia/Tokyo:20260629T000000\nDTSTART;VALUE=DATE:20260629\n"
    "DTEND;VALUE=DATE:20260630\nSUMMARY:Day renamed\nEND:VEVENT\n";

TEST_F(ReadAsMeantTest, AnAllDaySeriesMatchesDateTimesByTheirDates) {
  writeItem("cal", "item.ics", kAllDayWithTimes);
  for (const char* zone : {"Europe/Berlin", "America/Los_Angeles", "Pacific/Auckland"}) {
    zone_ = foundation::namedZone(zone);
    store();
    std::vector<std::u16string> titles;
    std::vector<int> days;
    for (const auto& e : *events(utc(2026, 5, 1), utc(2026, 9, 1))) {
      titles.push_back(e->title().value_or(u""));
      days.push_back(foundation::splitGregorian(*e->startDate(), *zone_).day);
    }
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"Day", u"Day moved", u"Day renamed", u"Day", u"Day", u"Day",
                                                   u"Day", u"Day"}))
        << zone;
    EXPECT_EQ(days, (std::vector<int>{1, 23, 29, 6, 13, 20, 27, 3})) << zone;
  }
  zone_ = foundation::namedZone("Europe/Berlin");
  store();
  if (std::filesystem::exists("/usr/bin/python3")) {
    // The oracle compares exclusions as instants, with the day's start in
    // the first zone it meets (UTC here): the New York midnight misses.
    Spans expected = oracle("2026-05-01", "2026-09-01");
    const std::pair<int64_t, int64_t> june15{secondsOf(utc(2026, 6, 14, 22)), secondsOf(utc(2026, 6, 15, 22))};
    ASSERT_EQ(std::erase(expected, june15), 1u);
    EXPECT_EQ(fetched(utc(2026, 5, 1), utc(2026, 9, 1)), expected);
  }
  EXPECT_EQ(repairs().size(), 3u);

  // A save writes the changed occurrences' identities as dates.
  auto e = open(*events(utc(2026, 7, 5), utc(2026, 7, 8))->front()->occurrence());
  e->setTitle(u"Day changed");
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kThisEvent, error_));
  const std::string text = readFile("cal/item.ics");
  EXPECT_TRUE(contains(text, "RECURRENCE-ID;VALUE=DATE:20260622\r\n")) << text;
  EXPECT_TRUE(contains(text, "RECURRENCE-ID;VALUE=DATE:20260629\r\n")) << text;
  EXPECT_TRUE(contains(text, "RECURRENCE-ID;VALUE=DATE:20260706\r\n")) << text;
  EXPECT_TRUE(contains(text, "EXDATE;VALUE=DATE:20260615\r\n")) << text;
  EXPECT_EQ(events(utc(2026, 5, 1), utc(2026, 9, 1))->size(), 8u);
}

TEST_F(ReadAsMeantTest, WindowsZoneNamesAsCldrMapsThem) {
  const std::string table = python(kWindowsZones, "20261209");
  if (table.empty()) GTEST_SKIP() << "no /usr/bin/python3";
  ZoneTable zones(zone_);
  std::istringstream lines(table);
  int checked = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string name, iana, wall, seconds;
    std::getline(fields, name, '\t'), std::getline(fields, iana, '\t'), std::getline(fields, wall, '\t');
    std::getline(fields, seconds);
    const ReadOutcome read = readItemFile("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:w\r\nDTSTART;TZID=\"" +
                                              name + "\":" + wall + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                                          zones);
    ASSERT_TRUE(read.item) << name;
    EXPECT_EQ(secondsOf(read.item->main.start->instant), std::stoll(seconds)) << name << " " << wall;
    // A few Windows names ("UTC") are zoneinfo names too: nothing to mend.
    ASSERT_LE(read.item->repairs.size(), 1u) << name;
    if (!read.item->repairs.empty()) {
      EXPECT_TRUE(contains(read.item->repairs[0], iana)) << read.item->repairs[0];
    }
    ++checked;
  }
  EXPECT_GT(checked, 400);
}

// A one-hour offset that is nobody's: a wrong reading cannot agree by chance.
const char kOfficeZone[] =
    "BEGIN:VTIMEZONE\r\nTZID:Office Time:\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+0345\r\nTZOFFSETTO:+0345\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

TEST_F(ReadAsMeantTest, ZoneNamesThatMissTheirDefinition) {
  ZoneTable zones(zone_);
  auto startOf = [&](const std::string& body) {
    const ReadOutcome read =
        readItemFile("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + body + "END:VCALENDAR\r\n", zones);
    EXPECT_TRUE(read.item);
    return read.item ? std::pair{read.item->main.start->instant, read.item->repairs} : std::pair{Date{}, std::vector<std::string>{}};
  };
  auto event = [](const std::string& tzid) {
    return "BEGIN:VEVENT\r\nUID:z\r\nDTSTART;TZID=" + tzid + ":20261215T100000\r\nEND:VEVENT\r\n";
  };
  // A mail program's pair: the Windows name beside a VTIMEZONE with a colon.
  const std::string pacific =
      "BEGIN:VTIMEZONE\r\nTZID:Pacific Standard Time:\r\nBEGIN:STANDARD\r\nDTSTART:16010101T020000\r\n"
      "TZOFFSETFROM:-0700\r\nTZOFFSETTO:-0800\r\nRRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\r\nEND:STANDARD\r\n"
      "BEGIN:DAYLIGHT\r\nDTSTART:16010101T020000\r\nTZOFFSETFROM:-0800\r\nTZOFFSETTO:-0700\r\n"
      "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
  EXPECT_EQ(startOf(pacific + event("Pacific Standard Time")).first, utc(2026, 12, 15, 18));
  EXPECT_EQ(startOf(event("\" Europe/Berlin \"")).first, utc(2026, 12, 15, 9));
  EXPECT_EQ(startOf(event("(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna")).first,
            utc(2026, 12, 15, 9));
  const std::string office = kOfficeZone;
  // libical takes the quotes off a parameter.
  for (auto [written, read] : {std::pair{"office time", "office time"}, std::pair{"\"Office Time\"", "Office Time"},
                               std::pair{"\" Office Time: \"", " Office Time: "}}) {
    const auto [start, repairs] = startOf(office + event(written));
    EXPECT_EQ(start, utc(2026, 12, 15, 6, 15)) << written;
    EXPECT_EQ(repairs, std::vector<std::string>{"the zone \"" + std::string(read) +
                                                "\" is read by the file's VTIMEZONE \"Office Time:\""});
  }
  // The file's only definition, under another name.
  EXPECT_EQ(startOf(office + event("Bureau")).first, utc(2026, 12, 15, 6, 15));
  // Nothing to go by: the default zone, said so; an only block that names
  // no zone is nothing to go by either.
  const std::string nameless = "BEGIN:VTIMEZONE\r\nBEGIN:STANDARD\r\nDTSTART:16010101T000000\r\n"
                               "TZOFFSETFROM:+0530\r\nTZOFFSETTO:+0530\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
  for (const std::string& definitions : {std::string(), nameless}) {
    const auto [start, repairs] = startOf(definitions + event("Nowhere Standard Time"));
    EXPECT_EQ(start, utc(2026, 12, 15, 9));
    EXPECT_EQ(repairs, std::vector<std::string>{"the zone \"Nowhere Standard Time\" is unknown; its times are read "
                                                "in the default zone (Europe/Berlin)"});
  }
}

}  // namespace
}  // namespace calendarstore::testing
