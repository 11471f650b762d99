// Counting and opening through the registered functions: parameter checks,
// keyword case, the unsupported system, and store failures.
#include <stdexcept>

#include "calendar/calendar_store.h"
#include "tests/functions/function_fixture.h"

namespace zylo::testing {
namespace {

using ItemAccessTest = FunctionTest;

TEST_F(ItemAccessTest, CountsByKind) {
  expectEmpty(call(u"Zylo_GetItemCountForType", {text(u"")}));
  EXPECT_EQ(lastError(), u"Success");
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"calendar")}), 2);
  EXPECT_EQ(textOf(call(u"Zylo_GetItemCountForType", {text(u"attendee")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9000);
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"Calendar")}), -1);
  EXPECT_EQ(lastError(), u"Success");
}

TEST_F(ItemAccessTest, PositionalOpensTakeOnlyLowerCaseKeywords) {
  expectNumber(call(u"Zylo_OpenItemAt", {text(u"calendar"), number(2)}), 0);
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"calendar"), text(u"title")})), u"Work");
  for (const char16_t* keyword : {u"Calendar", u"events", u"", u"recurrencerule"}) {
    EXPECT_EQ(textOf(call(u"Zylo_OpenItemAt", {text(keyword), number(1)})), u"!!ERROR!!");
    EXPECT_EQ(lastCode(), -4);
  }
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemAt", {text(u"alarm"), number(1)})), u"!!ERROR!!");
  EXPECT_EQ(lastError(), u"This parameter is not supported.");
  // The refused keywords above left the calendar current.
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"calendar"), text(u"uid")})), u"work");
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemAt", {text(u"calendar"), number(0)})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9002);
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"calendar"), text(u"uid")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9000);
}

TEST_F(ItemAccessTest, OpensByIdentifier) {
  expectNumber(call(u"Zylo_OpenItemWithUID", {text(u"task"), text(u"report")}), 0);
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u"task"), text(u"title")})), u"Send the report");
  expectNumber(call(u"Zylo_OpenItemWithUID", {text(u"calendar"), text(u"home")}), 0);
  expectNumber(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"review"), text(u"")}), 0);
  expectTimestamp(call(u"Zylo_GetProperty", {text(u"event"), text(u"startdate")}), 2026, 6, 3,
                  14, 0, 0);
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"Review")})),
            u"!!ERROR!!");
  EXPECT_EQ(lastError(), u"Item not found.");
  for (auto params : {std::vector{text(u"attendee"), text(u"review")},
                      std::vector{text(u"alarm"), text(u"review")},
                      std::vector{text(u"event"), text(u"")}, std::vector{text(u""), text(u"x")}}) {
    EXPECT_EQ(textOf(call(u"Zylo_OpenItemWithUID", params)), u"!!ERROR!!");
    EXPECT_EQ(lastCode(), -4);
  }
}

TEST_F(ItemAccessTest, AnOccurrenceReopensByItsDate) {
  expectNumber(call(u"Zylo_OpenItemWithUID",
                    {text(u"event"), text(u"standup"), timestamp(2026, 6, 15, 9, 30, 0)}),
               0);
  expectTimestamp(call(u"Zylo_GetProperty", {text(u"event"), text(u"occurrence")}), 2026, 6, 15,
                  9, 30, 0);
  expectTimestamp(call(u"Zylo_GetProperty", {text(u"event"), text(u"enddate")}), 2026, 6, 15, 10,
                  0, 0);
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemWithUID",
                        {text(u"event"), text(u"standup"), timestamp(2026, 6, 16, 9, 30, 0)})),
            u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9001);
}

TEST_F(ItemAccessTest, TheNewerSystemRefusesAllButAnEmptyTitle) {
  startOnNewerSystem();
  EXPECT_EQ(textOf(call(u"Zylo_CalOpenCalendarWithTitle", {text(u"")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), -4);
  EXPECT_EQ(textOf(call(u"Zylo_CalOpenCalendarWithTitle", {text(u"Home")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9015);
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemAt", {text(u""), number(1)})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9015);
  EXPECT_EQ(textOf(call(u"Zylo_GetProperty", {text(u""), text(u"")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9015);
  // An empty count parameter stops before the system is asked.
  expectEmpty(call(u"Zylo_GetItemCountForType", {text(u"")}));
  EXPECT_EQ(textOf(call(u"Zylo_GetItemCountForType", {text(u"event")})), u"!!ERROR!!");
  EXPECT_EQ(lastError(), u"This operating system is not supported.");
}

TEST_F(ItemAccessTest, StoreExceptionsOpeningAnEventCarryTheirReason) {
  storeFault_ = [] { throw CalendarStoreException(u"Cannot read /calendars: Permission denied"); };
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"review")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9999);
  EXPECT_EQ(lastError(), u"Cannot read /calendars: Permission denied");
  // Where the context does not catch it, the function's boundary does, alike.
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemWithUID", {text(u"task"), text(u"report")})), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9999);
  EXPECT_EQ(lastError(), u"Cannot read /calendars: Permission denied");
  // The next success clears the reason with the code, even one that never
  // reaches the store.
  call(u"Zylo_Version");
  EXPECT_EQ(lastCode(), 0);
  EXPECT_EQ(lastError(), u"Success");
  storeFault_ = [] { throw std::runtime_error("out of memory"); };
  EXPECT_EQ(textOf(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(u"review")})), u"!!ERROR!!");
  EXPECT_EQ(lastError(), u"Unknown Exception");
}

}  // namespace
}  // namespace zylo::testing
