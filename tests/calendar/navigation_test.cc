// Opening calendars, events, tasks and attendees, and what each open does
// to the other slots and the stored predicates.
#include <stdexcept>

#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

using foundation::Date;

class NavigationTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
  }
  void fetchJune() {
    ASSERT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                                 foundation::String(u"Work")),
              0);
  }
  foundation::OptionalString title() { return context().getEventAttribute(u"title", 1, {}); }
};

TEST_F(NavigationTest, CalendarPositionsOutsideTheListEmptyTheWholeContext) {
  for (int32_t position : {0, -1, 3}) {
    fetchJune();
    ASSERT_EQ(context().openEventAt(1), 0);
    g_llasterror = 0;
    EXPECT_EQ(context().openCalendarAt(position), -1);
    EXPECT_EQ(g_llasterror, kIndexOutOfBounds) << position;
    expectNoCurrentItems();
    EXPECT_EQ(context().eventPredicate(), nullptr);
  }
  g_llasterror = 0;
  EXPECT_EQ(context().openCalendarAt(2), 0);
  EXPECT_EQ(context().currentCalendar()->uid(), u"work");
}

TEST_F(NavigationTest, TitlesAreExactAndTheFirstInStoreOrderWins) {
  store_->addCalendar(u"work-2", u"Work");
  EXPECT_EQ(context().openCalendarWithTitle(u"Work"), 0);
  EXPECT_EQ(context().currentCalendar()->uid(), u"work");
  for (const char16_t* near : {u"work", u"Work ", u"WORK"}) {
    g_llasterror = 0;
    EXPECT_EQ(context().openCalendarWithTitle(near), -1);
    EXPECT_EQ(g_llasterror, kItemNotFound);
    EXPECT_EQ(context().currentCalendar(), nullptr);
  }
}

TEST_F(NavigationTest, CalendarListsKeepTheirOrderAndFailOnAnyMissingTitle) {
  auto uids = [](const CalendarList& list) {
    std::vector<foundation::String> u;
    for (const auto& c : list) u.push_back(c->uid());
    return u;
  };
  using Uids = std::vector<foundation::String>;
  for (const char16_t* text : {u"Work\nHome", u"Work\rHome", u"Work\u2028Home"}) {
    auto list = context().calendarArrayFromString(foundation::String(text));
    ASSERT_TRUE(list);
    EXPECT_EQ(uids(*list), (Uids{u"work", u"home"}));
  }
  EXPECT_EQ(uids(*context().calendarArrayFromString(foundation::String(u"all"))),
            (Uids{u"home", u"work"}));
  EXPECT_EQ(g_llasterror, 0);
  for (const char16_t* text : {u"Work\nNowhere", u"All", u"Work\n"}) {
    g_llasterror = 0;
    EXPECT_FALSE(context().calendarArrayFromString(foundation::String(text))) << "a title missing";
    EXPECT_EQ(g_llasterror, kCalendarNotFound);
  }
  ASSERT_EQ(context().openCalendarWithUID(u"work"), 0);
  EXPECT_EQ(uids(*context().calendarArrayFromString(std::nullopt)), (Uids{u"work"}));
}

TEST_F(NavigationTest, AnEventOutOfBoundsKeepsThePredicate) {
  fetchJune();
  ASSERT_EQ(context().openEventAt(1), 0);
  EXPECT_EQ(context().openEventAt(7), -1);
  EXPECT_EQ(g_llasterror, kIndexOutOfBounds);
  expectNoCurrentItems();
  ASSERT_NE(context().eventPredicate(), nullptr);
  g_llasterror = 0;
  EXPECT_EQ(context().openEventAt(2), 0);
  EXPECT_EQ(context().currentEvent()->uid(), u"e2");
  EXPECT_EQ(context().openEventAt(0), -1);
  EXPECT_EQ(g_llasterror, kIndexOutOfBounds);
}

TEST_F(NavigationTest, OpeningACalendarEndsTheWalk) {
  fetchJune();
  ASSERT_EQ(context().openCalendarAt(1), 0);
  EXPECT_EQ(context().openEventAt(1), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  // Nothing was emptied by the refused open.
  EXPECT_EQ(context().currentCalendar()->uid(), u"home");
}

TEST_F(NavigationTest, OpensByIdentifierEndTheWalk) {
  fetchJune();
  ASSERT_EQ(context().openEventWithUID(u"e3", std::nullopt), 0);
  EXPECT_EQ(context().currentEvent()->uid(), u"e3");
  EXPECT_EQ(context().eventPredicate(), nullptr);
  EXPECT_EQ(context().openEventWithUID(u"E3", std::nullopt), -1);
  EXPECT_EQ(g_llasterror, kItemNotFound);
}

TEST_F(NavigationTest, AnOpenedEventIsACopyTheSnapshotDoesNotShare) {
  fetchJune();
  ASSERT_EQ(context().openEventAt(1), 0);
  context().currentEvent()->setTitle(foundation::String(u"Changed"));
  ASSERT_EQ(context().openEventAt(1), 0);
  EXPECT_EQ(title(), u"Event e1");
}

TEST_F(NavigationTest, TaskWalkKeepsItsPredicateUntilAnOpenByIdentifier) {
  ASSERT_EQ(context().fetchTasks(std::nullopt, std::nullopt, std::nullopt), 0);
  for (int32_t p = 1; p <= 3; ++p) {
    EXPECT_EQ(context().openTaskAt(p), 0);
    EXPECT_EQ(context().currentTask()->uid(), u"t" + foundation::fromUtf8(std::to_string(p)));
  }
  EXPECT_EQ(context().openTaskAt(4), -1);
  EXPECT_EQ(g_llasterror, kIndexOutOfBounds);
  EXPECT_EQ(context().currentTask(), nullptr);
  g_llasterror = 0;
  ASSERT_EQ(context().openTaskWithUID(u"t2"), 0);
  EXPECT_EQ(context().openTaskAt(1), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  EXPECT_EQ(context().currentTask(), nullptr);
}

TEST_F(NavigationTest, AttendeesBelongToTheCurrentEvent) {
  CalEvent::Loaded withTwo;
  withTwo.attendees = CalEvent::Attendees{
      std::make_shared<const CalAttendee>(CalAttendee{std::nullopt, u"Ann", std::nullopt}),
      std::make_shared<const CalAttendee>(CalAttendee{std::nullopt, u"Bob", std::nullopt})};
  store_->add(event(u"m1", work_, utc(2026, 6, 20, 9), withTwo));
  EXPECT_EQ(context().getObjectCount(u"attendee"), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  EXPECT_EQ(context().openAttendeeAt(1), -1);
  g_llasterror = 0;

  fetchJune();
  ASSERT_EQ(context().openEventAt(1), 0);
  EXPECT_EQ(context().getObjectCount(u"attendee"), 0);
  EXPECT_EQ(context().openAttendeeAt(1), -1);
  EXPECT_EQ(g_llasterror, kIndexOutOfBounds);
  g_llasterror = 0;

  ASSERT_EQ(context().openEventAt(6), 0);
  EXPECT_EQ(context().getObjectCount(u"attendee"), 2);
  ASSERT_EQ(context().openAttendeeAt(2), 0);
  EXPECT_EQ(context().getAttendeeAttribute(u"commonname", 1, {}), u"Bob");
  EXPECT_EQ(context().openAttendeeAt(3), -1);
  EXPECT_EQ(context().currentAttendee(), nullptr);
  g_llasterror = 0;
  ASSERT_EQ(context().openAttendeeAt(1), 0);
  ASSERT_EQ(context().openEventAt(6), 0);
  EXPECT_EQ(context().currentAttendee(), nullptr);
}

TEST_F(NavigationTest, CountsByKind) {
  EXPECT_EQ(context().getObjectCount(u"calendar"), 2);
  EXPECT_EQ(context().getObjectCount(u"event"), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
  g_llasterror = 0;
  EXPECT_EQ(context().getObjectCount(u"alarm"), -1);
  EXPECT_EQ(g_llasterror, kUnsupportedParameter);
  g_llasterror = 0;
  // Not a kind at all, or not lower case: -1 without a code.
  EXPECT_EQ(context().getObjectCount(u"Calendar"), -1);
  EXPECT_EQ(context().getObjectCount(u"events"), -1);
  EXPECT_EQ(g_llasterror, 0);
  fetchJune();
  EXPECT_EQ(context().getObjectCount(u"event"), 5);
  EXPECT_EQ(context().getObjectCount(u"task"), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
}

TEST_F(NavigationTest, AStoreExceptionOpeningAnEventIsRecordedWithItsReason) {
  store_->fault = [] { throw CalendarStoreException(u"The calendars folder is gone."); };
  EXPECT_EQ(context().openEventWithUID(u"e1", utc(2026, 6, 1, 10)), -1);
  EXPECT_EQ(g_llasterror, kStoreException);
  EXPECT_EQ(context().getLastErrorString(), u"The calendars folder is gone.");
}

TEST_F(NavigationTest, OnlyTheStoresExceptionKindIsCaught) {
  store_->fault = [] { throw std::runtime_error("not the store's kind"); };
  EXPECT_THROW(context().openEventWithUID(u"e1", std::nullopt), std::runtime_error);
  // The other opens are not guarded: the store's kind passes on too.
  store_->fault = [] { throw CalendarStoreException(u"gone"); };
  EXPECT_THROW(context().openCalendarAt(1), CalendarStoreException);
  EXPECT_EQ(g_llasterror, 0);
  EXPECT_EQ(context().getLastErrorString(), std::nullopt);
}

}  // namespace
}  // namespace zylo::testing
