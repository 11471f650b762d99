// Fetching through the registered functions, then counting and walking
// what was selected.
#include "tests/functions/function_fixture.h"

namespace zylo::testing {
namespace {

using FetchFunctionsTest = FunctionTest;

fmxhost::Value juneStart() { return timestamp(2026, 6, 1, 0, 0, 0); }
fmxhost::Value julyStart() { return timestamp(2026, 7, 1, 0, 0, 0); }

TEST_F(FetchFunctionsTest, EmptyParametersSelectEverything) {
  expectNumber(call(u"Zylo_EventsFetch", {text(u""), text(u""), text(u""), text(u"")}), 0);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 12);
  expectNumber(call(u"Zylo_EventsFetch", {juneStart(), julyStart(), text(u"Home\nWork"),
                                          text(u"standup")}),
               0);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 5);
}

TEST_F(FetchFunctionsTest, AMissingTitleFails) {
  EXPECT_EQ(textOf(call(u"Zylo_EventsFetch",
                        {juneStart(), julyStart(), text(u"Work\rGarden"), text(u"")})),
            u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9013);
  EXPECT_EQ(lastError(), u"Unable to locate Calendar by UID.");
  EXPECT_EQ(textOf(call(u"Zylo_GetItemCountForType", {text(u"event")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9000);
}

TEST_F(FetchFunctionsTest, NothingInRangeIsStillASelection) {
  expectNumber(call(u"Zylo_EventsFetch", {timestamp(2030, 1, 1, 0, 0, 0),
                                          timestamp(2030, 2, 1, 0, 0, 0), text(u"all"), text(u"")}),
               0);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"event")}), 0);
}

TEST_F(FetchFunctionsTest, TaskStatuses) {
  expectNumber(call(u"Zylo_TasksFetch", {text(u""), text(u""), timestamp(2026, 1, 1, 0, 0, 0)}), 0);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"task")}), 3);
  expectNumber(call(u"Zylo_TasksFetch", {text(u"Work"), text(u"Completed"), juneStart()}), 0);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"task")}), 1);
  expectNumber(call(u"Zylo_OpenItemAt", {text(u"task"), number(1)}), 0);
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"task"), text(u"title")})), u"Book the room");
  expectNumber(call(u"Zylo_TasksFetch", {text(u""), text(u"INCOMPLETE"), text(u"")}), 0);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"task")}), 2);
  EXPECT_EQ(textOf(call(u"Zylo_TasksFetch", {text(u""), text(u"completed"), text(u"")})),
            u"!!ERROR!!");
  EXPECT_EQ(lastError(), u"Invalid Parameter value(s)");
}

}  // namespace
}  // namespace zylo::testing
