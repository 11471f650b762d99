// Saving and removing through the store: span keywords and the span chosen
// without one, the refusal and exception texts, and what removal empties.
#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

using foundation::String;
using Write = MemoryStore::Write;

class ItemSavingTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
    CalEvent::Loaded weekly;
    weekly.recurrenceRule = CalRecurrenceRule::initWeeklyRecurrenceWithInterval(1, nullptr);
    weekly.occurrence = utc(2026, 6, 8, 9);
    store_->add(event(u"weekly", work_, utc(2026, 6, 8, 9), weekly));
  }
  int32_t code() { return std::exchange(g_llasterror, 0); }
  std::optional<CalSpan> savedSpan() {
    return store_->writes.empty() ? std::nullopt : store_->writes.back().span;
  }
};

TEST_F(ItemSavingTest, TheSpanKeywordIsCheckedBeforeAnythingElse) {
  // Neither a missing task nor an unknown item type is reached.
  EXPECT_EQ(context().saveItem(String(u"task"), String(u"sometimes")), -1);
  EXPECT_EQ(code(), kInvalidArgument);
  EXPECT_EQ(context().saveItem(String(u"alarm"), String(u"")), -1);
  EXPECT_EQ(code(), kInvalidArgument);
  ASSERT_EQ(context().openTaskWithUID(u"t1"), 0);
  EXPECT_EQ(context().saveItem(String(u"task"), String(u"every")), -1);
  EXPECT_EQ(code(), kInvalidArgument);
  EXPECT_TRUE(store_->writes.empty());
  // A task ignores a valid span.
  EXPECT_EQ(context().saveItem(String(u"Task"), String(u"ALL")), 0);
  ASSERT_EQ(store_->writes.size(), 1u);
  EXPECT_EQ(store_->writes[0].operation, "saveTask");
  EXPECT_EQ(context().currentTask()->uid(), u"t1") << "stays current";
}

TEST_F(ItemSavingTest, EachKindNeedsItsItemAndUnknownKindsAre9005) {
  for (const char16_t* type : {u"calendar", u"event", u"task"}) {
    EXPECT_EQ(context().saveItem(String(type), std::nullopt), -1);
    EXPECT_EQ(code(), kInvalidCallOrder) << foundation::toUtf8(type);
  }
  ASSERT_EQ(context().openCalendarWithUID(u"home"), 0);
  for (const char16_t* type : {u"alarm", u"attendee", u"calendars"}) {
    EXPECT_EQ(context().saveItem(String(type), std::nullopt), -1);
    EXPECT_EQ(code(), kMissingArgument) << foundation::toUtf8(type);
  }
  EXPECT_EQ(context().saveItem(String(u"CALENDAR"), std::nullopt), 0);
  EXPECT_EQ(store_->writes.back().operation, "saveCalendar");
}

TEST_F(ItemSavingTest, SpanKeywordsAnyCase) {
  ASSERT_EQ(context().openEventWithUID(u"weekly", std::nullopt), 0);
  const std::pair<const char16_t*, CalSpan> spans[] = {
      {u"This", CalSpan::kThisEvent},
      {u"FUTURE", CalSpan::kFutureEvents},
      {u"all", CalSpan::kAllEvents}};
  for (auto [keyword, span] : spans) {
    ASSERT_EQ(context().saveItem(String(u"event"), String(keyword)), 0);
    EXPECT_EQ(savedSpan(), span) << foundation::toUtf8(keyword);
  }
}

TEST_F(ItemSavingTest, WithoutASpanAnOccurrenceIsSavedAloneAndAnyOtherEventWhole) {
  // Opened by its identifier alone, a repeating event is its series.
  ASSERT_EQ(context().openEventWithUID(u"weekly", std::nullopt), 0);
  context().setEventProp(String(u"title"), {String(u"Renamed"), std::nullopt});
  ASSERT_EQ(context().saveItem(String(u"event"), std::nullopt), 0);
  EXPECT_EQ(savedSpan(), CalSpan::kAllEvents);
  ASSERT_EQ(context().openEventWithUID(u"weekly", utc(2026, 6, 8, 9)), 0);
  context().setEventProp(String(u"title"), {String(u"Moved"), std::nullopt});
  ASSERT_EQ(context().saveItem(String(u"event"), std::nullopt), 0);
  EXPECT_EQ(savedSpan(), CalSpan::kThisEvent);
  EXPECT_EQ(store_->writes.back().changedFields, unsigned{CalCalendarItem::kTitle});
  // A changed rule belongs to the whole series.
  context().currentEvent()->setRecurrenceRule(nullptr);
  ASSERT_EQ(context().saveItem(String(u"event"), std::nullopt), 0);
  EXPECT_EQ(savedSpan(), CalSpan::kAllEvents);
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  ASSERT_EQ(context().saveItem(String(u"event"), std::nullopt), 0);
  EXPECT_EQ(savedSpan(), CalSpan::kAllEvents);
}

TEST_F(ItemSavingTest, RefusalsJoinDescriptionAndReason) {
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  store_->refusal = StoreError{u"The event could not be saved", u"Its end lies before its start."};
  EXPECT_EQ(context().saveItem(String(u"event"), std::nullopt), -1);
  EXPECT_EQ(code(), kStoreRefused);
  EXPECT_EQ(context().getLastErrorString(),
            u"The event could not be saved. Its end lies before its start.");
  EXPECT_EQ(context().currentEvent()->uid(), u"e1");
  store_->refusal = StoreError{u"The task could not be removed", std::nullopt};
  EXPECT_EQ(context().removeItem(String(u"task"), String(u"t1"), std::nullopt, std::nullopt), -1);
  EXPECT_EQ(code(), kStoreRefused);
  EXPECT_EQ(context().getLastErrorString(), u"The task could not be removed. ");
}

TEST_F(ItemSavingTest, StoreExceptionsCarryTheirReason) {
  ASSERT_EQ(context().openTaskWithUID(u"t1"), 0);
  store_->fault = [] { throw CalendarStoreException(u"Disk quota exceeded"); };
  EXPECT_EQ(context().saveItem(String(u"task"), std::nullopt), -1);
  EXPECT_EQ(code(), kStoreException);
  EXPECT_EQ(context().getLastErrorString(), u"Disk quota exceeded");
  EXPECT_NE(context().currentTask(), nullptr);
  context().resetLastErrorString();
  EXPECT_EQ(context().removeItem(String(u"event"), String(u"e1"), std::nullopt, String(u"all")),
            -1);
  EXPECT_EQ(code(), kStoreException);
  EXPECT_EQ(context().getLastErrorString(), u"Disk quota exceeded");
}

TEST_F(ItemSavingTest, RemovalEmptiesTheContextWhateverItsOutcome) {
  auto openEverything = [&] {
    ASSERT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                                 std::nullopt),
              0);
    ASSERT_EQ(context().openEventAt(1), 0);
  };
  openEverything();
  EXPECT_EQ(context().removeItem(String(u"event"), String(u"e2"), std::nullopt, std::nullopt), -1);
  EXPECT_EQ(code(), kMissingArgument) << "no span for an event";
  expectNoCurrentItems();
  EXPECT_EQ(context().eventPredicate(), nullptr);
  openEverything();
  EXPECT_EQ(context().removeItem(String(u"event"), String(u"e2"), std::nullopt, String(u"any")),
            -1);
  EXPECT_EQ(code(), kInvalidArgument);
  expectNoCurrentItems();
  EXPECT_TRUE(store_->writes.empty());
}

TEST_F(ItemSavingTest, RemovalLooksTheItemUpAfresh) {
  EXPECT_EQ(context().removeItem(String(u"event"), String(u"E2"), std::nullopt, String(u"all")),
            -1);
  EXPECT_EQ(code(), kItemNotFound);
  // An unknown identifier is reported before the missing span.
  EXPECT_EQ(context().removeItem(String(u"event"), String(u"zz"), std::nullopt, std::nullopt), -1);
  EXPECT_EQ(code(), kItemNotFound);
  EXPECT_EQ(context().removeItem(String(u"task"), std::nullopt, std::nullopt, std::nullopt), -1);
  EXPECT_EQ(code(), kItemNotFound);
  EXPECT_EQ(context().removeItem(String(u"alarm"), String(u"e2"), std::nullopt, std::nullopt), -1);
  EXPECT_EQ(code(), kMissingArgument);
  EXPECT_EQ(context().removeItem(String(u"event"), String(u"weekly"), utc(2026, 6, 9, 9),
                                 String(u"this")),
            -1);
  EXPECT_EQ(code(), kItemNotFound) << "no occurrence then";
  EXPECT_TRUE(store_->writes.empty());

  ASSERT_EQ(context().removeItem(String(u"Event"), String(u"weekly"), utc(2026, 6, 8, 9),
                                 String(u"Future")),
            0);
  ASSERT_EQ(context().removeItem(String(u"TASK"), String(u"t2"), std::nullopt, std::nullopt), 0);
  ASSERT_EQ(
      context().removeItem(String(u"calendar"), String(u"home"), std::nullopt, String(u"all")), 0);
  ASSERT_EQ(store_->writes.size(), 3u);
  EXPECT_EQ(store_->writes[0].operation, "removeEvent");
  EXPECT_EQ(store_->writes[0].uid, u"weekly");
  EXPECT_EQ(store_->writes[0].span, CalSpan::kFutureEvents);
  EXPECT_EQ(store_->writes[1].operation, "removeTask");
  EXPECT_EQ(store_->writes[1].uid, u"t2");
  EXPECT_EQ(store_->writes[2].operation, "removeCalendar");
  EXPECT_EQ(store_->writes[2].uid, u"home");
}

}  // namespace
}  // namespace zylo::testing
