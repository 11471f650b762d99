// Event and task fetches: which predicate is stored, which status texts
// are understood, and what a failed fetch leaves behind.
#include <stdexcept>

#include "errors/error_codes.h"
#include "tests/calendar/context_fixture.h"

namespace zylo::testing {
namespace {

class FetchingTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    addSample();
  }
  int32_t fetchTasks(const char16_t* status, std::optional<foundation::Date> date) {
    foundation::OptionalString s;
    if (status) s = status;
    return context().fetchTasks(std::nullopt, s, date);
  }
};

TEST_F(FetchingTest, TaskStatusesInAnyLetterCase) {
  const auto date = utc(2026, 6, 2);
  struct Case {
    const char16_t* status;
    bool withDate;
    TaskPredicate::Kind kind;
  };
  for (const Case& c : {Case{u"Completed", true, TaskPredicate::kCompletedSince},
                        Case{u"COMPLETE", true, TaskPredicate::kCompletedSince},
                        Case{u"incompleted", false, TaskPredicate::kUncompleted},
                        Case{u"InComplete", true, TaskPredicate::kUncompletedDueBefore},
                        Case{nullptr, true, TaskPredicate::kAll}}) {
    ASSERT_EQ(fetchTasks(c.status, c.withDate ? std::optional(date) : std::nullopt), 0);
    ASSERT_NE(context().taskPredicate(), nullptr);
    EXPECT_EQ(context().taskPredicate()->kind, c.kind);
    EXPECT_EQ(context().taskPredicate()->calendars.size(), 2u);
  }
  EXPECT_EQ(context().taskPredicate()->date, std::nullopt) << "every task, whatever the date";
  EXPECT_EQ(g_llasterror, 0);
}

TEST_F(FetchingTest, ACompletedStatusNeedsADateAndUnknownStatusesFail) {
  for (const char16_t* status : {u"COMPLETE", u"completed", u"done", u"incomplete "}) {
    ASSERT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                                 std::nullopt),
              0);
    g_llasterror = 0;
    EXPECT_EQ(fetchTasks(status, std::nullopt), -1);
    EXPECT_EQ(g_llasterror, kInvalidParameterValue);
    EXPECT_EQ(context().taskPredicate(), nullptr);
    EXPECT_EQ(context().eventPredicate(), nullptr);
  }
}

TEST_F(FetchingTest, AnEventFetchStoresOnlyTheEventPredicate) {
  ASSERT_EQ(fetchTasks(nullptr, std::nullopt), 0);
  ASSERT_EQ(context().openTaskAt(1), 0);
  ASSERT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 2), utc(2026, 6, 4), std::nullopt,
                                               std::nullopt),
            0);
  expectNoCurrentItems();
  EXPECT_EQ(context().taskPredicate(), nullptr);
  EXPECT_EQ(context().getObjectCount(u"event"), 3);  // e2, h1 and e3
  EXPECT_EQ(context().openTaskAt(1), -1);
  EXPECT_EQ(g_llasterror, kInvalidCallOrder);
}

TEST_F(FetchingTest, AnIdentifierNarrowsTheEventFetch) {
  ASSERT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1),
                                               foundation::String(u"e4"),
                                               foundation::String(u"Home\nWork")),
            0);
  EXPECT_EQ(context().eventPredicate()->uid, u"e4");
  EXPECT_EQ(context().getObjectCount(u"event"), 1);
}

TEST_F(FetchingTest, AMissingTitleLeavesEverySlotEmpty) {
  ASSERT_EQ(context().openEventWithUID(u"e1", std::nullopt), 0);
  EXPECT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                               foundation::String(u"Work\nGarden")),
            -1);
  EXPECT_EQ(g_llasterror, kCalendarNotFound);
  expectNoCurrentItems();
  EXPECT_EQ(context().eventPredicate(), nullptr);
  g_llasterror = 0;
  EXPECT_EQ(context().fetchTasks(foundation::String(u"Garden"), std::nullopt, std::nullopt), -1);
  EXPECT_EQ(g_llasterror, kCalendarNotFound);
  EXPECT_EQ(context().taskPredicate(), nullptr);
}

class EmptyStoreTest : public ContextTest {};

TEST_F(EmptyStoreTest, AFetchWithoutCalendarsFails) {
  EXPECT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                               foundation::String(u"all")),
            -1);
  EXPECT_EQ(g_llasterror, kNoCalendarArray);
  g_llasterror = 0;
  EXPECT_EQ(context().fetchTasks(std::nullopt, std::nullopt, std::nullopt), -1);
  EXPECT_EQ(g_llasterror, kNoCalendarArray);
}

TEST_F(FetchingTest, StoreExceptionsDuringAnEventFetchAreRecorded) {
  store_->fault = [] { throw CalendarStoreException(u"Permission denied: /cal"); };
  EXPECT_EQ(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                               std::nullopt),
            -1);
  EXPECT_EQ(g_llasterror, kStoreException);
  EXPECT_EQ(context().getLastErrorString(), u"Permission denied: /cal");
  store_->fault = [] { throw std::logic_error("a fault of another kind"); };
  EXPECT_THROW(context().fetchEventsWithStartDate(utc(2026, 6, 1), utc(2026, 7, 1), std::nullopt,
                                                  std::nullopt),
               std::logic_error);
}

}  // namespace
}  // namespace zylo::testing
