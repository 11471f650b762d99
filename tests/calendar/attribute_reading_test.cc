// Reading properties of the current calendar, event, task and attendee:
// the texts each gives, what an empty property answers, and the failures.
#include "calendar/attribute_text.h"
#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

using foundation::OptionalString;
using foundation::String;

class AttributeReadingTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
  }
  OptionalString eventAttribute(const char16_t* k) {
    return context().getEventAttribute(String(k), 1, {});
  }
  OptionalString taskAttribute(const char16_t* k) {
    return context().getTaskAttribute(String(k), 1, {});
  }
  OptionalString calendarAttribute(const char16_t* k) {
    return context().getCalendarAttribute(String(k), 1, {});
  }
  void openTask(int priority, std::optional<foundation::Date> due = std::nullopt) {
    auto t = std::make_shared<CalTask>();
    const String uid = u"p" + foundation::fromUtf8(std::to_string(priority));
    t->setUid(uid);
    t->loadFromStore(due, std::nullopt, false, priority);
    store_->add(t);
    ASSERT_EQ(context().openTaskWithUID(uid), 0);
  }
};

TEST_F(AttributeReadingTest, EventDatesAreDateTextInTheDefaultZone) {
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  EXPECT_EQ(eventAttribute(u"startdate"), u"2026-06-01 11:00:00 +0100");
  EXPECT_EQ(eventAttribute(u"enddate"), u"2026-06-01 12:00:00 +0100");
  EXPECT_EQ(eventAttribute(u"datestamp"), std::nullopt);
  EXPECT_EQ(g_llasterror, 0);
}

TEST_F(AttributeReadingTest, AnEventThatDoesNotRepeat) {
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  EXPECT_EQ(eventAttribute(u"occurrence"), std::nullopt);
  EXPECT_EQ(eventAttribute(u"isrecurring"), u"False");
  EXPECT_EQ(eventAttribute(u"attendeecount"), u"0");
  EXPECT_EQ(eventAttribute(u"hasattendees"), u"False");
  EXPECT_EQ(eventAttribute(u"isallday"), u"False");
  EXPECT_EQ(eventAttribute(u"isdetached"), u"False");
  EXPECT_EQ(eventAttribute(u"location"), std::nullopt);
  EXPECT_EQ(g_llasterror, 0);
}

TEST_F(AttributeReadingTest, AnOccurrenceOfARepeatingEvent) {
  CalEvent::Loaded repeating;
  repeating.recurrenceRule = CalRecurrenceRule::initDailyRecurrenceWithInterval(1, nullptr);
  repeating.occurrence = utc(2026, 6, 8, 7);
  repeating.isDetached = true;
  repeating.location = u"Room 4";
  repeating.attendees = CalEvent::Attendees{};
  store_->add(event(u"r1", work_, utc(2026, 6, 8, 7), repeating));
  ASSERT_EQ(context().openEventWithUID(u"r1", utc(2026, 6, 8, 7)), 0);
  EXPECT_EQ(eventAttribute(u"occurrence"), u"2026-06-08 08:00:00 +0100");
  EXPECT_EQ(eventAttribute(u"isrecurring"), u"True");
  EXPECT_EQ(eventAttribute(u"isdetached"), u"True");
  EXPECT_EQ(eventAttribute(u"location"), u"Room 4");
  // An empty attendee list is still a list.
  EXPECT_EQ(eventAttribute(u"hasattendees"), u"True");
  EXPECT_EQ(eventAttribute(u"attendeecount"), u"0");
}

TEST_F(AttributeReadingTest, SharedPropertiesOfEventsAndTasks) {
  auto e = event(u"s1", work_, utc(2026, 6, 9, 9));
  e->setUrl(foundation::Url::withString(u"https://example.org/a?b=1"));
  e->setDateStamp(utc(2026, 1, 15, 12));
  store_->add(e);
  ASSERT_EQ(context().openEventWithUID(u"s1", std::nullopt), 0);
  EXPECT_EQ(eventAttribute(u"uid"),
            context().getCalendarItemAttribute(u"uid", *context().currentEvent()));
  EXPECT_EQ(eventAttribute(u"uid"), u"s1");
  EXPECT_EQ(eventAttribute(u"calendartitle"), u"Work");
  EXPECT_EQ(eventAttribute(u"url"), u"https://example.org/a?b=1");
  EXPECT_EQ(eventAttribute(u"datestamp"), u"2026-01-15 13:00:00 +0100");
  EXPECT_EQ(eventAttribute(u"hasalarm"), u"False");
  EXPECT_EQ(eventAttribute(u"nextalarmdate"), u"") << "the empty text, not none";
  EXPECT_EQ(g_llasterror, 0);

  ASSERT_EQ(context().openTaskWithUID(u"t1"), 0);
  context().currentTask()->setAlarmState(true, utc(2026, 6, 9, 8));
  EXPECT_EQ(taskAttribute(u"hasalarm"), u"True");
  EXPECT_EQ(taskAttribute(u"nextalarmdate"), u"2026-06-09 09:00:00 +0100");
  context().currentTask()->setAlarmState(true, std::nullopt);
  EXPECT_EQ(taskAttribute(u"nextalarmdate"), u"");
}

TEST_F(AttributeReadingTest, TaskPropertiesAndTheirEmptyAnswers) {
  ASSERT_EQ(context().openTaskWithUID(u"t2"), 0);
  EXPECT_EQ(taskAttribute(u"completeddate"), u"2026-06-03 01:00:00 +0100");
  EXPECT_EQ(taskAttribute(u"iscompleted"), u"True");
  EXPECT_EQ(taskAttribute(u"duedate"), std::nullopt);
  EXPECT_EQ(g_llasterror, 0);
  const std::pair<int, OptionalString> priorities[] = {
      {0, u"none"}, {1, u"high"}, {5, u"medium"}, {9, u"low"}, {3, std::nullopt}};
  for (const auto& [priority, text] : priorities) {
    openTask(priority);
    EXPECT_EQ(taskAttribute(u"priority"), text) << priority;
  }
  EXPECT_EQ(g_llasterror, 0);
}

TEST(ColorText, ComponentsTimes255InSinglePrecision) {
  EXPECT_EQ(colorText({0.5f, 0.0f, 1.0f}), u"128 0 255");
  EXPECT_EQ(colorText({45 / 255.0f, 164 / 255.0f, 78 / 255.0f}), u"45 164 78");
}

TEST_F(AttributeReadingTest, ReadersFailWithoutTheirItemOrKeyword) {
  for (auto read : {&iCalFunctions::getCalendarAttribute, &iCalFunctions::getEventAttribute,
                    &iCalFunctions::getTaskAttribute, &iCalFunctions::getAttendeeAttribute}) {
    g_llasterror = 0;
    EXPECT_EQ((context().*read)(String(u"title"), 1, {}), std::nullopt);
    EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  }
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  g_llasterror = 0;
  EXPECT_EQ(context().getEventAttribute(std::nullopt, 1, {}), std::nullopt);
  EXPECT_EQ(g_llasterror, kMissingArgument);
  for (const char16_t* unknown : {u"Title", u"duedate", u"color", u""}) {
    g_llasterror = 0;
    EXPECT_EQ(eventAttribute(unknown), std::nullopt);
    EXPECT_EQ(g_llasterror, kInvalidArgument) << "the reader does not lower-case";
  }
  EXPECT_EQ(context().currentEvent()->uid(), u"e1");
  ASSERT_EQ(context().openCalendarAt(1), 0);
  g_llasterror = 0;
  EXPECT_EQ(calendarAttribute(u"startdate"), std::nullopt);
  EXPECT_EQ(g_llasterror, kInvalidArgument);
}

}  // namespace
}  // namespace zylo::testing
