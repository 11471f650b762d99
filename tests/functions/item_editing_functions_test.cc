// Creating, changing, saving and removing through the registered functions
// over the vdir store: round trips, what a save keeps, refusals, and the
// spans of a weekly event, checked on the files.
#include <fstream>
#include <iterator>
#include <map>

#include "calendar/calendar_store.h"
#include "tests/functions/function_fixture.h"

namespace zylo::testing {
namespace {

namespace fs = std::filesystem;

class ItemEditingTest : public FunctionTest {
 protected:
  void expectDone(const fmxhost::Value& v) { expectNumber(v, 0); }
  void expectError(const fmxhost::Value& v, int32_t code) {
    EXPECT_EQ(textOf(v), u"!!ERROR!!");
    EXPECT_EQ(lastCode(), code);
  }
  fmxhost::Value set(const char16_t* type, const char16_t* property, fmxhost::Value value) {
    return call(u"Zylo_SetProperty", {text(type), text(property), std::move(value)});
  }
  fmxhost::Value save(const char16_t* type) { return call(u"Zylo_SaveItem", {text(type)}); }
  fmxhost::Value save(const char16_t* type, const char16_t* span) {
    return call(u"Zylo_SaveItem", {text(type), text(span)});
  }
  fmxhost::Value remove(const char16_t* type, const char16_t* uid, fmxhost::Value occurrence,
                        const char16_t* span) {
    return call(u"Zylo_RemoveItem", {text(type), text(uid), std::move(occurrence), text(span)});
  }
  fmxhost::Value get(const char16_t* type, const char16_t* property) {
    return call(u"Zylo_GetProperty", {text(type), text(property)});
  }
  std::u16string title() { return textOf(get(u"event", u"title")); }
  fmxhost::Value openStandup(int day) {
    return call(u"Zylo_OpenItemWithUID",
                {text(u"event"), text(u"standup"), timestamp(2026, 6, day, 9, 30, 0)});
  }
  std::string file(const fs::path& relative) {
    std::ifstream in(root_ / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  size_t itemFiles(const char* calendar) {
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(root_ / calendar))
      n += entry.path().extension() == ".ics";
    return n;
  }
};

TEST_F(ItemEditingTest, ANewCalendarReadsBackByTitle) {
  expectDone(call(u"Zylo_NewItem", {text(u"Calendar")}));
  expectDone(set(u"calendar", u"title", text(u"Trips")));
  expectDone(set(u"calendar", u"Notes", text(u"Where we go")));
  expectDone(set(u"calendar", u"color", text(u"255 128 0")));
  expectDone(save(u"calendar"));
  expectDone(call(u"Zylo_CalOpenCalendarWithTitle", {text(u"Trips")}));
  EXPECT_EQ(textOf(get(u"calendar", u"notes")), u"Where we go");
  EXPECT_EQ(textOf(get(u"calendar", u"color")), u"255 128 0");
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"calendar")}), 3);
}

TEST_F(ItemEditingTest, ANewEventIsFetchedWithEveryPropertySet) {
  expectDone(call(u"Zylo_NewItem", {text(u"event")}));
  expectDone(set(u"event", u"calendartitle", text(u"Home")));
  expectDone(set(u"event", u"title", text(u"Call grandma")));
  expectDone(set(u"event", u"startdate", timestamp(2026, 6, 20, 18, 0, 0)));
  expectDone(set(u"event", u"EndDate", timestamp(2026, 6, 20, 18, 30, 0)));
  expectDone(set(u"event", u"location", text(u"Sofa")));
  expectDone(set(u"event", u"notes", text(u"Her birthday")));
  expectDone(set(u"event", u"url", text(u"https://example.org/call")));
  expectDone(set(u"event", u"isallday", text(u"false")));
  expectDone(save(u"event"));
  const std::u16string uid = textOf(get(u"event", u"uid"));
  ASSERT_FALSE(uid.empty());

  expectDone(call(u"Zylo_EventsFetch", {timestamp(2026, 6, 20, 0, 0, 0),
                                        timestamp(2026, 6, 21, 0, 0, 0), text(u"Home"), text(u"")}));
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 1);
  expectDone(call(u"Zylo_OpenItemAt", {text(u"event"), number(1)}));
  EXPECT_EQ(textOf(get(u"event", u"uid")), uid);
  EXPECT_EQ(title(), u"Call grandma");
  expectTimestamp(get(u"event", u"startdate"), 2026, 6, 20, 18, 0, 0);
  expectTimestamp(get(u"event", u"enddate"), 2026, 6, 20, 18, 30, 0);
  EXPECT_EQ(textOf(get(u"event", u"location")), u"Sofa");
  EXPECT_EQ(textOf(get(u"event", u"notes")), u"Her birthday");
  EXPECT_EQ(textOf(get(u"event", u"url")), u"https://example.org/call");
  EXPECT_EQ(textOf(get(u"event", u"isallday")), u"False");
  EXPECT_EQ(textOf(get(u"event", u"calendartitle")), u"Home");
}

TEST_F(ItemEditingTest, ANewTaskWithDuePriorityAndCompletion) {
  expectDone(call(u"Zylo_NewItem", {text(u"task")}));
  expectDone(set(u"task", u"calendaruid", text(u"work")));
  expectDone(set(u"task", u"title", text(u"File the taxes")));
  expectDone(set(u"task", u"duedate", timestamp(2026, 6, 25, 12, 0, 0)));
  expectDone(set(u"task", u"priority", text(u"Medium")));
  expectDone(set(u"task", u"iscompleted", text(u"True")));
  expectDone(set(u"task", u"completeddate", timestamp(2026, 6, 14, 10, 0, 0)));
  expectDone(save(u"task"));
  const std::u16string uid = textOf(get(u"task", u"uid"));
  expectDone(call(u"Zylo_OpenItemWithUID", {text(u"task"), text(uid)}));
  EXPECT_EQ(textOf(get(u"task", u"title")), u"File the taxes");
  EXPECT_EQ(textOf(get(u"task", u"priority")), u"medium");
  EXPECT_EQ(textOf(get(u"task", u"iscompleted")), u"True");
  const fmxhost::Value due = get(u"task", u"duedate"), done = get(u"task", u"completeddate");
  ASSERT_EQ(due.nativeType(), kFMX_TypeDate);
  const auto& d = std::get<fmxhost::Date>(due.content);
  EXPECT_EQ((std::array{d.year, d.month, d.day}), (std::array{2026, 6, 25}));
  ASSERT_EQ(done.nativeType(), kFMX_TypeDate);
  EXPECT_EQ(std::get<fmxhost::Date>(done.content).day, 14);
}

TEST_F(ItemEditingTest, ASavedChangeKeepsWhatItDidNotTouch) {
  std::ofstream(root_ / "work" / "extra.ics", std::ios::binary)
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//Program//EN\r\nBEGIN:VEVENT\r\n"
         "UID:extra\r\nDTSTAMP:20260501T080000Z\r\nDTSTART:20260610T080000Z\r\n"
         "DTEND:20260610T090000Z\r\nSUMMARY:Old title\r\nLOCATION:Old place\r\n"
         "X-OTHER-COLOUR:teal\r\nATTENDEE;CN=Ann:mailto:ann@example.org\r\n"
         "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Soon\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
         "END:VEVENT\r\nEND:VCALENDAR\r\n";
  expectDone(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"extra")}));
  expectDone(set(u"event", u"title", text(u"New title")));
  expectDone(save(u"event"));
  const std::string written = file("work/extra.ics");
  EXPECT_NE(written.find("SUMMARY:New title"), std::string::npos) << written;
  EXPECT_EQ(written.find("Old title"), std::string::npos);
  for (const char* kept : {"LOCATION:Old place", "X-OTHER-COLOUR:teal", "CN=Ann", "BEGIN:VALARM",
                           "TRIGGER:-PT15M", "DTSTART:20260610T080000Z", "DTEND:20260610T090000Z"})
    EXPECT_NE(written.find(kept), std::string::npos) << kept << "\n" << written;
  // Saved again after another change: still the same file, still current.
  expectDone(set(u"event", u"location", text(u"New place")));
  expectDone(save(u"event"));
  EXPECT_NE(file("work/extra.ics").find("LOCATION:New place"), std::string::npos);
  EXPECT_EQ(itemFiles("work"), 5u);
}

TEST_F(ItemEditingTest, DatePropertiesNeedATimestampBeforeAnythingElse) {
  expectDone(call(u"Zylo_NewItem", {text(u"event")}));
  expectDone(set(u"Event", u"StartDate", timestamp(2026, 6, 20, 9, 0, 0)));
  expectTimestamp(get(u"event", u"startdate"), 2026, 6, 20, 9, 0, 0);
  expectError(set(u"event", u"startdate", text(u"")), 9005);
  expectError(set(u"alarm", u"StartDate", text(u"")), 9005);
  expectError(set(u"alarm", u"title", text(u"x")), 9016);
  expectError(set(u"alarm", u"occurrence", timestamp(2026, 6, 20, 9, 0, 0)), 9016);
  expectError(set(u"event", u"occurrence", timestamp(2026, 6, 20, 9, 0, 0)), 9006);
  expectError(set(u"event", u"absolutetrigger", timestamp(2026, 6, 20, 9, 0, 0)), 9006);
  expectError(set(u"attendee", u"title", text(u"x")), -4);
  expectDone(set(u"recurrencerule", u"title", text(u"x")));
  expectError(call(u"Zylo_NewItem", {text(u"attendee")}), 9006);
  // A missing keyword calls nothing and records nothing.
  expectEmpty(set(u"", u"title", text(u"x")));
  EXPECT_EQ(lastCode(), 0);
  expectEmpty(set(u"event", u"", text(u"x")));
  EXPECT_EQ(lastCode(), 0);
  expectEmpty(call(u"Zylo_NewItem", {text(u"")}));
  EXPECT_EQ(lastCode(), 0);

  startOnNewerSystem();
  expectError(set(u"event", u"enddate", text(u"")), 9005);
  expectError(set(u"event", u"enddate", timestamp(2026, 6, 20, 9, 0, 0)), 9015);
  expectError(call(u"Zylo_SaveItem", {text(u"event")}), 9015);
  expectError(call(u"Zylo_RemoveItem", {text(u"event"), text(u"review")}), 9015);
}

TEST_F(ItemEditingTest, TheStoreRefusesAnEventWithoutCalendarOrEndingBeforeItStarts) {
  expectDone(call(u"Zylo_NewItem", {text(u"event")}));
  expectDone(set(u"event", u"title", text(u"Nowhere")));
  expectDone(set(u"event", u"startdate", timestamp(2026, 6, 20, 9, 0, 0)));
  expectError(save(u"event"), 9998);
  EXPECT_EQ(lastError(), u"The event could not be saved. It belongs to no calendar.");
  expectDone(set(u"event", u"calendartitle", text(u"Home")));
  expectDone(set(u"event", u"enddate", timestamp(2026, 6, 20, 8, 0, 0)));
  expectError(save(u"event"), 9998);
  EXPECT_EQ(lastError(), u"The event could not be saved. Its end lies before its start.");
  EXPECT_EQ(itemFiles("home"), 2u);
  EXPECT_EQ(itemFiles("work"), 4u);
}

TEST_F(ItemEditingTest, StoreExceptionsWhileSavingCarryTheirReason) {
  expectDone(call(u"Zylo_OpenItemWithUID", {text(u"task"), text(u"report")}));
  expectDone(set(u"task", u"title", text(u"Send it now")));
  storeFault_ = [] { throw CalendarStoreException(u"Cannot write /calendars: Read-only"); };
  expectError(save(u"task"), 9999);
  EXPECT_EQ(lastError(), u"Cannot write /calendars: Read-only");
  storeFault_ = [] {};
  // The refused span comes first, and an empty span is no span.
  expectError(save(u"task", u"sometimes"), 9006);
  EXPECT_EQ(file("work/report.ics").find("Send it now"), std::string::npos);
  expectDone(save(u"task", u""));
  EXPECT_NE(file("work/report.ics").find("SUMMARY:Send it now"), std::string::npos);
}

TEST_F(ItemEditingTest, SavingThisOccurrenceOrTheFutureOnes) {
  expectDone(openStandup(15));
  expectDone(set(u"event", u"title", text(u"Moved stand-up")));
  expectDone(save(u"event", u"This"));
  EXPECT_NE(file("work/standup.ics").find("RECURRENCE-ID"), std::string::npos);
  expectDone(openStandup(15));
  EXPECT_EQ(title(), u"Moved stand-up");
  expectDone(openStandup(22));
  EXPECT_EQ(title(), u"Stand-up");

  expectDone(set(u"event", u"title", text(u"New stand-up")));
  expectDone(save(u"event", u"future"));
  expectDone(openStandup(8));
  EXPECT_EQ(title(), u"Stand-up");
  expectDone(openStandup(15));
  EXPECT_EQ(title(), u"Moved stand-up");
  expectError(openStandup(22), 9001);
  expectDone(call(u"Zylo_EventsFetch", {timestamp(2026, 6, 22, 0, 0, 0),
                                        timestamp(2026, 7, 1, 0, 0, 0), text(u"Work"), text(u"")}));
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 2);
  for (int i = 1; i <= 2; ++i) {
    expectDone(call(u"Zylo_OpenItemAt", {text(u"event"), number(i)}));
    EXPECT_EQ(title(), u"New stand-up");
  }
  EXPECT_EQ(itemFiles("work"), 5u);
}

TEST_F(ItemEditingTest, SavingAllMovesEveryOccurrenceAndNoSpanOnlyThisOneOrTheOpenedSeries) {
  expectDone(openStandup(8));
  expectDone(set(u"event", u"title", text(u"Only the 8th")));
  expectDone(save(u"event"));
  expectDone(openStandup(15));
  EXPECT_EQ(title(), u"Stand-up");

  expectDone(set(u"event", u"startdate", timestamp(2026, 6, 15, 10, 30, 0)));
  expectDone(set(u"event", u"enddate", timestamp(2026, 6, 15, 11, 0, 0)));
  expectDone(save(u"event", u"ALL"));
  expectDone(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"standup")}));
  expectTimestamp(get(u"event", u"startdate"), 2026, 6, 1, 10, 30, 0);
  expectTimestamp(get(u"event", u"enddate"), 2026, 6, 1, 11, 0, 0);

  // Opened by its identifier alone, the event is its series: no span saves
  // all of it, and no occurrence comes apart.
  expectDone(set(u"event", u"title", text(u"Renamed series")));
  expectDone(save(u"event"));
  const std::string written = file("work/standup.ics");
  EXPECT_EQ(written.find("RECURRENCE-ID"), written.rfind("RECURRENCE-ID")) << written;  // the 8th's alone
  expectDone(call(u"Zylo_EventsFetch", {timestamp(2026, 6, 1, 0, 0, 0), timestamp(2026, 6, 23, 0, 0, 0),
                                        text(u"Work"), text(u"")}));
  std::map<std::u16string, int> titles;
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 5);  // and the design review
  for (int i = 1; i <= 5; ++i) {
    expectDone(call(u"Zylo_OpenItemAt", {text(u"event"), number(i)}));
    ++titles[title()];
  }
  EXPECT_EQ(titles[u"Renamed series"], 3);
  EXPECT_EQ(titles[u"Only the 8th"], 1);
  EXPECT_EQ(titles[u"Stand-up"], 0);
}

TEST_F(ItemEditingTest, RemovingThisTheFutureOrAllOccurrences) {
  expectDone(remove(u"event", u"standup", timestamp(2026, 6, 8, 9, 30, 0), u"this"));
  expectError(openStandup(8), 9001);
  expectDone(openStandup(15));
  expectDone(remove(u"event", u"standup", timestamp(2026, 6, 22, 9, 30, 0), u"Future"));
  expectError(openStandup(29), 9001);
  expectError(openStandup(22), 9001);
  expectDone(openStandup(15));
  expectDone(remove(u"event", u"standup", text(u""), u"all"));
  EXPECT_FALSE(fs::exists(root_ / "work" / "standup.ics"));
  expectError(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"standup")}), 9001);
}

TEST_F(ItemEditingTest, RemovalWithoutSpanEmptiesTheContextAndRemovesNothing) {
  expectDone(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"review")}));
  expectError(call(u"Zylo_RemoveItem", {text(u"event"), text(u"review")}), 9005);
  expectError(get(u"event", u"title"), 9000);
  EXPECT_TRUE(fs::exists(root_ / "work" / "review.ics"));
  expectError(call(u"Zylo_RemoveItem", {text(u"alarm"), text(u"review")}), 9005);
  expectError(call(u"Zylo_RemoveItem", {text(u"task"), text(u"")}), 9001);

  expectDone(call(u"Zylo_RemoveItem", {text(u"Task"), text(u"report")}));
  EXPECT_FALSE(fs::exists(root_ / "work" / "report.ics"));
  expectDone(remove(u"event", u"review", text(u""), u"this"));
  EXPECT_FALSE(fs::exists(root_ / "work" / "review.ics"));
  expectDone(call(u"Zylo_RemoveItem", {text(u"calendar"), text(u"home")}));
  EXPECT_FALSE(fs::exists(root_ / "home"));
}

TEST_F(ItemEditingTest, AnUnreadableOccurrenceRemovesNothing) {
  const std::string before = file("work/standup.ics");
  expectError(remove(u"event", u"standup", text(u"next monday"), u"this"), -4);
  EXPECT_EQ(file("work/standup.ics"), before);
  // Absent, it names the series' first occurrence.
  expectDone(remove(u"event", u"standup", text(u""), u"this"));
  expectError(openStandup(1), 9001);
  expectDone(openStandup(8));
}

TEST_F(ItemEditingTest, AfterAFutureSaveTheCurrentEventIsTheNewSeries) {
  expectDone(openStandup(15));
  auto count = [&] {
    return textOf(call(u"Zylo_GetProperty", {text(u"recurrencerule"), text(u"recurrenceend"),
                                            text(u"occurrencecount")}));
  };
  EXPECT_EQ(count(), u"10");
  expectDone(set(u"event", u"title", text(u"Stand-up, new room")));
  expectDone(save(u"event", u"future"));
  EXPECT_EQ(count(), u"8");
  EXPECT_NE(textOf(get(u"event", u"uid")), u"standup");
  EXPECT_EQ(title(), u"Stand-up, new room");
}

}  // namespace
}  // namespace zylo::testing
