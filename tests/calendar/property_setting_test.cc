// Creating items in the context and setting their properties: the order of
// the checks, keyword case, the tables of each kind, and the colour rule.
#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

using foundation::String;

PropertyValue textValue(const String& s) { return {s, std::nullopt}; }
const PropertyValue kNoValue{};

class PropertySettingTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
  }
  // The code a setter recorded, with the code cleared for the next one.
  int32_t code() { return std::exchange(g_llasterror, 0); }
};

TEST_F(PropertySettingTest, NewItemEmptiesTheContextEvenForABadKeyword) {
  ASSERT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                               std::nullopt),
            0);
  ASSERT_EQ(context().openEventAt(1), 0);
  EXPECT_EQ(context().newItem(u"alarm"), -1);
  EXPECT_EQ(code(), kInvalidArgument);
  expectNoCurrentItems();
  EXPECT_EQ(context().eventPredicate(), nullptr);

  EXPECT_EQ(context().newItem(u"Event"), 0);
  ASSERT_NE(context().currentEvent(), nullptr);
  EXPECT_EQ(context().currentEvent()->calendar(), nullptr);
  EXPECT_TRUE(context().currentEvent()->storeFile().empty());
  EXPECT_EQ(context().newItem(u"TASK"), 0);
  EXPECT_EQ(context().currentEvent(), nullptr);
  EXPECT_NE(context().currentTask(), nullptr);
  EXPECT_EQ(context().newItem(u"calendar"), 0);
  EXPECT_EQ(context().currentTask(), nullptr);
  EXPECT_TRUE(context().currentCalendar()->uid().empty());
  for (const char16_t* bad : {u"attendee", u"recurrencerule", u"events"}) {
    EXPECT_EQ(context().newItem(String(bad)), -1);
    EXPECT_EQ(code(), kInvalidArgument) << foundation::toUtf8(bad);
  }
  EXPECT_EQ(context().newItem(std::nullopt), -1);
  EXPECT_EQ(code(), kInvalidArgument);
  expectNoCurrentItems();
}

TEST_F(PropertySettingTest, TheItemIsCheckedBeforeTheKeyword) {
  EXPECT_EQ(context().setEventProp(std::nullopt, kNoValue), -1);
  EXPECT_EQ(code(), kInvalidCallOrder);
  EXPECT_EQ(context().setTaskProp(std::nullopt, kNoValue), -1);
  EXPECT_EQ(code(), kInvalidCallOrder);
  EXPECT_EQ(context().setCalendarProp(std::nullopt, kNoValue), -1);
  EXPECT_EQ(code(), kInvalidCallOrder);
  context().newItem(u"event");
  EXPECT_EQ(context().setEventProp(std::nullopt, kNoValue), -1);
  EXPECT_EQ(code(), kMissingArgument);
  context().newItem(u"task");
  EXPECT_EQ(context().setTaskProp(std::nullopt, kNoValue), -1);
  EXPECT_EQ(code(), kMissingArgument);
  context().newItem(u"calendar");
  EXPECT_EQ(context().setCalendarProp(std::nullopt, kNoValue), -1);
  EXPECT_EQ(code(), kMissingArgument);
}

TEST_F(PropertySettingTest, KeywordsAnyCaseEachKindItsOwnTable) {
  context().newItem(u"event");
  CalEvent& event = *context().currentEvent();
  EXPECT_EQ(context().setEventProp(String(u"Title"), textValue(u"Lunch")), 0);
  EXPECT_EQ(context().setEventProp(String(u"LOCATION"), textValue(u"Canteen")), 0);
  EXPECT_EQ(context().setEventProp(String(u"StartDate"), {std::nullopt, utc(2026, 6, 1, 12)}), 0);
  EXPECT_EQ(event.title(), u"Lunch");
  EXPECT_EQ(event.location(), u"Canteen");
  EXPECT_EQ(event.startDate(), utc(2026, 6, 1, 12));
  for (const char16_t* foreign : {u"duedate", u"priority", u"color", u"occurrence"}) {
    EXPECT_EQ(context().setEventProp(String(foreign), textValue(u"x")), -1);
    EXPECT_EQ(code(), kInvalidArgument) << foundation::toUtf8(foreign);
  }

  context().newItem(u"task");
  EXPECT_EQ(context().setTaskProp(String(u"TITLE"), textValue(u"Call")), 0);
  EXPECT_EQ(context().currentTask()->title(), u"Call");
  EXPECT_EQ(context().setTaskProp(String(u"location"), textValue(u"x")), -1);
  EXPECT_EQ(code(), kInvalidArgument);

  context().newItem(u"calendar");
  EXPECT_EQ(context().setCalendarProp(String(u"Title"), textValue(u"Trips")), 0);
  EXPECT_EQ(context().setCalendarProp(String(u"NOTES"), textValue(u"Where we go")), 0);
  EXPECT_EQ(context().currentCalendar()->title(), u"Trips");
  EXPECT_EQ(context().currentCalendar()->notes(), u"Where we go");
  // A calendar answers what it does not know with 9005, not 9006.
  for (const char16_t* foreign : {u"location", u"url", u"calendartitle"}) {
    EXPECT_EQ(context().setCalendarProp(String(foreign), textValue(u"x")), -1);
    EXPECT_EQ(code(), kMissingArgument) << foundation::toUtf8(foreign);
  }
}

TEST_F(PropertySettingTest, OnlyTrueSetsAFlagAndAnEmptyValueClearsIt) {
  context().newItem(u"event");
  CalEvent& event = *context().currentEvent();
  context().setEventProp(String(u"isallday"), textValue(u"TRUE"));
  EXPECT_TRUE(event.isAllDay());
  for (PropertyValue other : {textValue(u"yes"), textValue(u"1"), kNoValue}) {
    context().setEventProp(String(u"isallday"), textValue(u"true"));
    context().setEventProp(String(u"isallday"), other);
    EXPECT_FALSE(event.isAllDay()) << foundation::toUtf8(other.text.value_or(u"(none)"));
  }
  context().newItem(u"task");
  context().setTaskProp(String(u"IsCompleted"), textValue(u"True"));
  EXPECT_TRUE(context().currentTask()->isCompleted());
  context().setTaskProp(String(u"iscompleted"), kNoValue);
  EXPECT_FALSE(context().currentTask()->isCompleted());
  EXPECT_EQ(g_llasterror, 0);
}

TEST_F(PropertySettingTest, PriorityWords) {
  context().newItem(u"task");
  const CalTask& task = *context().currentTask();
  EXPECT_EQ(context().setTaskProp(String(u"priority"), textValue(u"HIGH")), 0);
  EXPECT_EQ(task.priority(), CalTask::kHigh);
  context().setTaskProp(String(u"priority"), textValue(u"Low"));
  EXPECT_EQ(task.priority(), CalTask::kLow);
  context().setTaskProp(String(u"priority"), textValue(u"medium"));
  EXPECT_EQ(task.priority(), CalTask::kMedium);
  for (const char16_t* word : {u"urgent", u"1", u"high "}) {
    EXPECT_EQ(context().setTaskProp(String(u"priority"), textValue(word)), -1);
    EXPECT_EQ(code(), kMissingArgument);
    EXPECT_EQ(task.priority(), CalTask::kMedium) << "kept";
  }
  EXPECT_EQ(context().setTaskProp(String(u"priority"), kNoValue), 0);
  EXPECT_EQ(task.priority(), CalTask::kNone);
}

TEST_F(PropertySettingTest, ColourNeedsExactlyThreePiecesEachWithin0To255) {
  context().newItem(u"calendar");
  const CalCalendar& calendar = *context().currentCalendar();
  ASSERT_EQ(context().setCalendarProp(String(u"color"), textValue(u"255 128 0")), 0);
  ASSERT_TRUE(calendar.color());
  EXPECT_FLOAT_EQ(calendar.color()->red, 1.0f);
  EXPECT_NEAR(calendar.color()->green, 0.502f, 0.001f);
  EXPECT_FLOAT_EQ(calendar.color()->blue, 0.0f);
  EXPECT_FLOAT_EQ(calendar.color()->alpha, 1.0f);
  const foundation::Color orange = *calendar.color();
  for (const char16_t* bad :
       {u"255 128", u"255  128 0", u" 255 128 0", u"255 128 0 ", u"255 128 0 0", u"256 0 0",
        u"0 -1 0", u"0 0 255.5", u"nan 0 0", u"", u"255\n128 0"}) {
    EXPECT_EQ(context().setCalendarProp(String(u"color"), textValue(bad)), -1);
    EXPECT_EQ(code(), kInvalidParameterValue) << foundation::toUtf8(bad);
    EXPECT_EQ(calendar.color(), orange) << "unchanged";
  }
  EXPECT_EQ(context().setCalendarProp(String(u"COLOR"), kNoValue), -1);
  EXPECT_EQ(code(), kInvalidParameterValue);
  // Tabs and no-break spaces are white space too; a piece reads by its
  // leading number.
  ASSERT_EQ(context().setCalendarProp(String(u"color"), textValue(u"0\t0\u00A0255.0")), 0);
  EXPECT_EQ(*calendar.color(), (foundation::Color{0, 0, 1, 1}));
  ASSERT_EQ(context().setCalendarProp(String(u"color"), textValue(u"0 0 0")), 0);
  EXPECT_EQ(*calendar.color(), (foundation::Color{0, 0, 0, 1}));
}

TEST_F(PropertySettingTest, CalendarsAreFoundByExactTitleOrIdentifier) {
  context().newItem(u"event");
  const CalEvent& event = *context().currentEvent();
  EXPECT_EQ(context().setEventProp(String(u"calendartitle"), textValue(u"Home")), 0);
  EXPECT_EQ(event.calendar()->uid(), u"home");
  EXPECT_EQ(context().setEventProp(String(u"CalendarUID"), textValue(u"work")), 0);
  EXPECT_EQ(event.calendar()->uid(), u"work");
  for (auto [keyword, value] : {std::pair{u"calendartitle", u"home"}, {u"calendaruid", u"Work"},
                                {u"calendartitle", u"Nowhere"}}) {
    EXPECT_EQ(context().setEventProp(String(keyword), textValue(value)), -1);
    EXPECT_EQ(code(), kCalendarNotFound) << foundation::toUtf8(value);
  }
  EXPECT_EQ(context().setEventProp(String(u"calendaruid"), kNoValue), -1);
  EXPECT_EQ(code(), kCalendarNotFound);
  EXPECT_EQ(event.calendar()->uid(), u"work");
}

TEST_F(PropertySettingTest, TextThatIsNotAUrlIsRefusedAndTheUrlKept) {
  context().newItem(u"task");
  const CalTask& task = *context().currentTask();
  EXPECT_EQ(context().setTaskProp(String(u"url"), textValue(u"https://de.wikipedia.org/wiki/Stra\u00DFe")), 0);
  EXPECT_EQ(task.url()->absoluteString(), u"https://de.wikipedia.org/wiki/Stra\u00DFe");
  EXPECT_EQ(context().setTaskProp(String(u"url"), textValue(u"not a url")), -1);
  EXPECT_EQ(code(), kInvalidParameterValue);
  EXPECT_EQ(task.url()->absoluteString(), u"https://de.wikipedia.org/wiki/Stra\u00DFe");
  EXPECT_EQ(context().setTaskProp(String(u"url"), kNoValue), 0);
  EXPECT_FALSE(task.url());
}

TEST_F(PropertySettingTest, AStoreExceptionKeepsWhatWasSetBefore) {
  context().newItem(u"event");
  context().setEventProp(String(u"title"), textValue(u"Kept"));
  store_->fault = [] { throw CalendarStoreException(u"The calendars folder is gone."); };
  EXPECT_EQ(context().setEventProp(String(u"calendaruid"), textValue(u"home")), -1);
  EXPECT_EQ(code(), kStoreException);
  EXPECT_EQ(context().getLastErrorString(), u"The calendars folder is gone.");
  EXPECT_EQ(context().currentEvent()->title(), u"Kept");
  EXPECT_EQ(context().currentEvent()->calendar(), nullptr);
}

TEST_F(PropertySettingTest, AnOpenedTaskIsChangedOnlyInTheContext) {
  ASSERT_EQ(context().fetchTasks(std::nullopt, std::nullopt, std::nullopt), 0);
  ASSERT_EQ(context().openTaskAt(1), 0);
  context().setTaskProp(String(u"title"), textValue(u"Changed"));
  ASSERT_EQ(context().openTaskAt(1), 0);
  EXPECT_FALSE(context().currentTask()->title());
}

}  // namespace
}  // namespace zylo::testing
