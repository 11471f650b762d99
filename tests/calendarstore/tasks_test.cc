// Tasks: what each task predicate selects, and in which order.
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

class TasksTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("todo");
    writeItem("todo", "a.ics", "BEGIN:VTODO\nUID:a\nSUMMARY:Alpha\nDUE:20260620T100000Z\nPRIORITY:3\nEND:VTODO\n");
    writeItem("todo", "b.ics", "BEGIN:VTODO\nUID:b\nSUMMARY:Beta\nDUE;VALUE=DATE:20260610\nPRIORITY:1\nEND:VTODO\n");
    writeItem("todo", "c.ics", "BEGIN:VTODO\nUID:c\nSUMMARY:Gamma\nEND:VTODO\n");
    writeItem("todo", "d.ics",
              "BEGIN:VTODO\nUID:d\nSUMMARY:Done\nSTATUS:COMPLETED\nCOMPLETED:20260612T080000Z\n"
              "DUE:20260601T100000Z\nEND:VTODO\n");
    writeItem("todo", "e.ics", "BEGIN:VTODO\nUID:e\nSUMMARY:Also done\nSTATUS:COMPLETED\nEND:VTODO\n");
    store();
  }
  std::vector<std::u16string> uids(std::shared_ptr<const zylo::TaskPredicate> p) {
    std::vector<std::u16string> list;
    const auto held = store_->tasksWithPredicate(*p);
    for (const auto& t : *held) list.push_back(t->uid());
    return list;
  }
};

TEST_F(TasksTest, PredicatesAndOrder) {
  auto all = store_->calendars();
  using P = zylo::TaskPredicate;
  EXPECT_EQ(uids(P::taskPredicateWithCalendars(all)),
            (std::vector<std::u16string>{u"d", u"b", u"a", u"e", u"c"}));
  EXPECT_EQ(uids(P::taskPredicateWithUncompletedTasks(all)), (std::vector<std::u16string>{u"b", u"a", u"c"}));
  EXPECT_EQ(uids(P::taskPredicateWithUncompletedTasksDueBefore(utc(2026, 6, 15), all)),
            (std::vector<std::u16string>{u"b"}));
  EXPECT_EQ(uids(P::taskPredicateWithTasksCompletedSince(utc(2026, 6, 12), all)),
            (std::vector<std::u16string>{u"d"}));
  EXPECT_TRUE(uids(P::taskPredicateWithCalendars({})).empty());
}

TEST_F(TasksTest, FieldsAsWritten) {
  auto a = store_->taskWithUID(u"a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->priority(), 3);
  EXPECT_EQ(a->dueDate(), utc(2026, 6, 20, 10));
  EXPECT_FALSE(a->isCompleted());
  auto e = store_->taskWithUID(u"e");
  EXPECT_TRUE(e->isCompleted());
  EXPECT_FALSE(e->completedDate());
  EXPECT_EQ(store_->taskWithUID(u"d")->completedDate(), utc(2026, 6, 12, 8));
  EXPECT_EQ(store_->taskWithUID(u"nothing"), nullptr);
}

}  // namespace
}  // namespace calendarstore::testing
