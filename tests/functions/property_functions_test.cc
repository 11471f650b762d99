// Reading properties through the registered function: which come back as
// timestamps, dates or text, and the keyword rules.
#include "tests/functions/function_fixture.h"

namespace zylo::testing {
namespace {

class PropertyFunctionsTest : public FunctionTest {
 protected:
  fmxhost::Value property(const char16_t* type, const char16_t* keyword) {
    return call(u"Zylo_GetProperty", {text(type), text(keyword)});
  }
  void open(const char16_t* type, const char16_t* uid) {
    expectNumber(call(u"Zylo_OpenItemWithUID", {text(type), text(uid)}), 0);
  }
};

TEST_F(PropertyFunctionsTest, KeywordsInAnyCaseAndDatesAsLocalTimestamps) {
  open(u"event", u"review");
  expectTimestamp(property(u"EVENT", u"STARTDATE"), 2026, 6, 3, 14, 0, 0);
  expectTimestamp(property(u"Event", u"EndDate"), 2026, 6, 3, 15, 0, 0);
  expectTimestamp(property(u"event", u"datestamp"), 2026, 5, 1, 10, 0, 0);
  EXPECT_EQ(textOf(property(u"event", u"Location")), u"Room 4");
  EXPECT_EQ(textOf(property(u"event", u"isallday")), u"False");
  // Not repeating: no occurrence, an empty result and no error.
  expectEmpty(property(u"event", u"occurrence"));
  EXPECT_EQ(lastError(), u"Success");
}

TEST_F(PropertyFunctionsTest, TaskDatesAreDates) {
  open(u"task", u"report");
  const fmxhost::Value due = property(u"task", u"duedate");
  ASSERT_EQ(due.nativeType(), kFMX_TypeDate);
  const auto& date = std::get<fmxhost::Date>(due.content);
  EXPECT_EQ((std::array{date.year, date.month, date.day}), (std::array{2026, 6, 19}));
  EXPECT_EQ(textOf(property(u"task", u"priority")), u"high");
  expectEmpty(property(u"task", u"completeddate"));
  EXPECT_EQ(lastError(), u"Success");
  open(u"task", u"done");
  EXPECT_EQ(property(u"task", u"completeddate").nativeType(), kFMX_TypeDate);
  EXPECT_EQ(textOf(property(u"task", u"iscompleted")), u"True");
  open(u"task", u"nodue");
  expectEmpty(property(u"task", u"duedate"));
  EXPECT_EQ(lastError(), u"Success");
}

TEST_F(PropertyFunctionsTest, TextPropertiesStayText) {
  open(u"event", u"party");
  EXPECT_EQ(textOf(property(u"event", u"isallday")), u"True");
  // No alarm: the empty text, as text.
  const fmxhost::Value next = property(u"event", u"nextalarmdate");
  EXPECT_EQ(next.nativeType(), kFMX_TypeText);
  EXPECT_EQ(textOf(next), u"");
  EXPECT_EQ(textOf(property(u"event", u"calendartitle")), u"Home");
  // A third parameter "enddate" makes any value a timestamp: the title is
  // no date, so the result stays empty.
  expectEmpty(call(u"Zylo_GetProperty", {text(u"event"), text(u"title"), text(u"EndDate")}));
  EXPECT_EQ(lastError(), u"Success");
}

TEST_F(PropertyFunctionsTest, AttendeeWalk) {
  open(u"event", u"review");
  expectNumber(call(u"Zylo_GetItemCountForType", {text(u"attendee")}), 2);
  EXPECT_EQ(textOf(property(u"event", u"attendeecount")), u"2");
  expectNumber(call(u"Zylo_OpenItemAt", {text(u"attendee"), number(1)}), 0);
  EXPECT_EQ(textOf(property(u"attendee", u"commonname")), u"Ann");
  EXPECT_EQ(textOf(property(u"attendee", u"status")), u"accepted");
  EXPECT_EQ(textOf(property(u"attendee", u"address")), u"mailto:ann@example.org");
  expectNumber(call(u"Zylo_OpenItemAt", {text(u"attendee"), number(2)}), 0);
  EXPECT_EQ(textOf(property(u"attendee", u"commonname")), u"");
  EXPECT_EQ(textOf(property(u"attendee", u"address")), u"mailto:bob@example.org");
}

TEST_F(PropertyFunctionsTest, KeywordFailures) {
  EXPECT_EQ(textOf(property(u"event", u"title")), u"!!ERROR!!");
  EXPECT_EQ(lastError(), u"Invalid call order. Must access other item prior to call.");
  EXPECT_EQ(textOf(property(u"calendar", u"title")), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9000);
  EXPECT_EQ(textOf(property(u"alarm", u"action")), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9016);
  open(u"event", u"review");
  EXPECT_EQ(textOf(property(u"events", u"title")), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), -4);
  EXPECT_EQ(textOf(property(u"event", u"color")), u"!!ERROR!!");
  EXPECT_EQ(lastCode(), 9006);
  expectEmpty(property(u"event", u""));
  EXPECT_EQ(lastError(), u"Success");
  expectEmpty(property(u"", u"title"));
  EXPECT_EQ(lastError(), u"Success");
  // Failed reads left the event current.
  EXPECT_EQ(textOf(property(u"event", u"uid")), u"review");
}

}  // namespace
}  // namespace zylo::testing
