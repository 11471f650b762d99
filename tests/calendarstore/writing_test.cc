// Saving and removing through the store: what lands on disk, what stays,
// and what is refused.
#include "tests/calendarstore/store_fixture.h"

namespace calendarstore::testing {
namespace {

using zylo::CalSpan;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class WritingTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    makeCalendar("cal", "Cal");
  }
  std::shared_ptr<zylo::CalEvent> newEvent(foundation::Date start, foundation::Date end) {
    auto e = zylo::CalEvent::event();
    e->setCalendar(calendar("cal"));
    e->setTitle(u"Planning");
    e->setStartDate(start);
    e->setEndDate(end);
    return e;
  }
  zylo::StoreError error_;
};

TEST_F(WritingTest, NewEventGetsAFreshUidItsFileAndAPlainZone) {
  store();
  auto e = newEvent(utc(2026, 6, 20, 8), utc(2026, 6, 20, 9));
  ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kThisEvent, error_));
  const std::string uid = foundation::toUtf8(e->uid());
  EXPECT_EQ(uid.size(), 36u);
  EXPECT_EQ(uid, foundation::toUtf8(foundation::uppercased(e->uid())));
  const std::string file = readFile("cal/" + uid + ".ics");
  EXPECT_TRUE(contains(file, "DTSTART;TZID=Europe/Berlin:20260620T100000"));
  EXPECT_TRUE(contains(file, "BEGIN:VTIMEZONE\r\n"));
  EXPECT_TRUE(contains(file, "TZID:Europe/Berlin\r\n"));
  EXPECT_FALSE(contains(file, "freeassociation"));
  auto back = store_->eventWithUID(e->uid(), std::nullopt);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->startDate(), utc(2026, 6, 20, 8));
  EXPECT_EQ(back->title(), u"Planning");
}

TEST_F(WritingTest, EditKeepsWhatTheModelDoesNotHold) {
  writeItem("cal", "odd name.ics",
            "BEGIN:VEVENT\nUID:x\nDTSTAMP:20260101T000000Z\nSEQUENCE:4\nDTSTART:20260620T080000Z\n"
            "SUMMARY:Old\nCATEGORIES:Work,\xC3\x9C""berstunden\nRESOURCES:Beamer\\, gro\xC3\x9F,Raum\n"
            "X-OTHER-PROGRAM;X-PARAM=1:a\\,b\nCOMMENT:\ncategories:lower,case\n"
            "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-PT5M\nEND:VALARM\nEND:VEVENT\n");
  store();
  auto e = store_->eventWithUID(u"x", std::nullopt);
  auto copy = std::make_shared<zylo::CalEvent>(*e);
  copy->setTitle(u"New");
  ASSERT_TRUE(store_->saveEvent(*copy, CalSpan::kAllEvents, error_));
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname", "odd name.ics"}));
  const std::string file = readFile("cal/odd name.ics");
  EXPECT_TRUE(contains(file, "SUMMARY:New"));
  // Lists, escapes and lines libical cannot read stay as they were read
  // (libical splits lists, drops escaped commas, and marks empty values
  // with X-LIC-ERROR lines).
  EXPECT_TRUE(contains(file, "\r\nCATEGORIES:Work,\xC3\x9C""berstunden\r\ncategories:lower,case\r\n"));
  EXPECT_TRUE(contains(file, "\r\nRESOURCES:Beamer\\, gro\xC3\x9F,Raum\r\n"));
  EXPECT_TRUE(contains(file, "X-OTHER-PROGRAM;X-PARAM=1:a\\,b\r\n"));
  EXPECT_TRUE(contains(file, "\r\nCOMMENT:\r\n"));
  EXPECT_FALSE(contains(file, "X-LIC"));
  EXPECT_FALSE(contains(file, "X-ZYLO"));
  EXPECT_TRUE(contains(file, "TRIGGER:-PT5M"));
  EXPECT_TRUE(contains(file, "SEQUENCE:5"));
  EXPECT_TRUE(contains(file, "DTSTART:20260620T080000Z"));  // unchanged, so untouched
  EXPECT_TRUE(contains(file, "LAST-MODIFIED:20260615T120000Z"));
}

TEST_F(WritingTest, RefusalsSayWhyAndWriteNothing) {
  store();
  auto noCalendar = zylo::CalEvent::event();
  noCalendar->setStartDate(utc(2026, 6, 20, 8));
  EXPECT_FALSE(store_->saveEvent(*noCalendar, CalSpan::kThisEvent, error_));
  EXPECT_EQ(error_.localizedDescription, u"The event could not be saved");
  EXPECT_EQ(error_.localizedFailureReason, u"It belongs to no calendar.");
  auto backwards = newEvent(utc(2026, 6, 20, 9), utc(2026, 6, 20, 8));
  EXPECT_FALSE(store_->saveEvent(*backwards, CalSpan::kThisEvent, error_));
  EXPECT_EQ(error_.localizedFailureReason, u"Its end lies before its start.");
  auto task = zylo::CalTask::task();
  EXPECT_FALSE(store_->saveTask(*task, error_));
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname"}));
  auto gone = newEvent(utc(2026, 6, 20, 8), utc(2026, 6, 20, 9));
  ASSERT_TRUE(store_->saveEvent(*gone, CalSpan::kThisEvent, error_));
  std::filesystem::remove(root_ / "cal" / (foundation::toUtf8(gone->uid()) + ".ics"));
  EXPECT_FALSE(store_->removeEvent(*gone, CalSpan::kAllEvents, error_));
  EXPECT_EQ(error_.localizedFailureReason, u"It no longer exists in the store.");
}

TEST_F(WritingTest, NoUidLeadsAWriteOutOfItsFolder) {
  store();
  for (const char16_t* uid : {u"../../escaped", u"/etc/passwd", u".hidden", u"a b"}) {
    auto e = newEvent(utc(2026, 6, 20, 8), utc(2026, 6, 20, 9));
    e->setUid(uid);
    ASSERT_TRUE(store_->saveEvent(*e, CalSpan::kThisEvent, error_));
    EXPECT_EQ(e->uid(), uid);
  }
  auto files = filesIn("cal");
  EXPECT_EQ(files.size(), 5u);
  for (const auto& f : files) EXPECT_TRUE(f == "displayname" || (f.size() == 40 && f[0] != '.')) << f;
  EXPECT_EQ(filesIn("").size(), 1u);
  EXPECT_NE(store_->eventWithUID(u"../../escaped", std::nullopt), nullptr);
}

class SeriesTest : public WritingTest {
 protected:
  void SetUp() override {
    WritingTest::SetUp();
    writeItem("cal", "s.ics",
              "BEGIN:VEVENT\nUID:s\nDTSTART:20260601T100000Z\nDTEND:20260601T110000Z\n"
              "RRULE:FREQ=DAILY;COUNT=10\nSUMMARY:Daily\nEND:VEVENT\n");
    store();
  }
  std::shared_ptr<zylo::CalEvent> occurrence(int day) {
    auto e = store_->eventWithUID(u"s", utc(2026, 6, day, 10));
    EXPECT_NE(e, nullptr);
    return std::make_shared<zylo::CalEvent>(*e);
  }
  std::vector<std::u16string> titles() {
    std::vector<std::u16string> list;
    const auto held = events(utc(2026, 6, 1), utc(2026, 7, 1));
    for (const auto& e : *held) list.push_back(e->title().value_or(u""));
    return list;
  }
};

TEST_F(SeriesTest, SaveThisOccurrenceOnly) {
  auto third = occurrence(3);
  third->setTitle(u"Special");
  ASSERT_TRUE(store_->saveEvent(*third, CalSpan::kThisEvent, error_));
  auto list = titles();
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list[2], u"Special");
  EXPECT_EQ(list[3], u"Daily");
  EXPECT_TRUE(store_->eventWithUID(u"s", utc(2026, 6, 3, 10))->isDetached());
}

TEST_F(SeriesTest, SaveFutureSplitsTheSeries) {
  auto fourth = occurrence(4);
  fourth->setTitle(u"Later");
  ASSERT_TRUE(store_->saveEvent(*fourth, CalSpan::kFutureEvents, error_));
  auto list = titles();
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list[2], u"Daily");
  EXPECT_EQ(list[3], u"Later");
  EXPECT_EQ(list[9], u"Later");
  EXPECT_NE(fourth->uid(), u"s");
}

TEST_F(SeriesTest, MovingOneOccurrenceWithAllMovesTheSeries) {
  auto fifth = occurrence(5);
  fifth->setStartDate(utc(2026, 6, 5, 12));
  fifth->setEndDate(utc(2026, 6, 5, 14));
  ASSERT_TRUE(store_->saveEvent(*fifth, CalSpan::kAllEvents, error_));
  auto first = store_->eventWithUID(u"s", std::nullopt);
  EXPECT_EQ(first->startDate(), utc(2026, 6, 1, 12));
  EXPECT_EQ(first->endDate(), utc(2026, 6, 1, 14));
}

TEST_F(SeriesTest, RemoveThisFutureAndAll) {
  ASSERT_TRUE(store_->removeEvent(*occurrence(2), CalSpan::kThisEvent, error_));
  EXPECT_EQ(titles().size(), 9u);
  ASSERT_TRUE(store_->removeEvent(*occurrence(6), CalSpan::kFutureEvents, error_));
  EXPECT_EQ(titles().size(), 4u);
  ASSERT_TRUE(store_->removeEvent(*occurrence(1), CalSpan::kAllEvents, error_));
  EXPECT_EQ(titles().size(), 0u);
  EXPECT_EQ(filesIn("cal"), (std::vector<std::string>{"displayname"}));
}

TEST_F(WritingTest, TasksAndCalendarsRoundTrip) {
  store();
  auto calendar = zylo::CalCalendar::calendar();
  calendar->setTitle(u"Errands");
  calendar->setColor(foundation::Color::fromHex("#336699"));
  ASSERT_TRUE(store_->saveCalendar(*calendar, error_));
  EXPECT_EQ(readFile(foundation::toUtf8(calendar->uid()) + "/displayname"), "Errands\n");
  auto task = zylo::CalTask::task();
  task->setCalendar(calendar);
  task->setTitle(u"Buy milk");
  task->setPriority(zylo::CalTask::kHigh);
  ASSERT_TRUE(store_->saveTask(*task, error_));
  auto copy = std::make_shared<zylo::CalTask>(*store_->taskWithUID(task->uid()));
  EXPECT_EQ(copy->priority(), 1);
  copy->setIsCompleted(true);
  ASSERT_TRUE(store_->saveTask(*copy, error_));
  EXPECT_EQ(copy->completedDate(), testNow());  // the task just saved answers what its file says
  auto done = store_->taskWithUID(task->uid());
  EXPECT_TRUE(done->isCompleted());
  EXPECT_EQ(done->completedDate(), testNow());
  copy->setIsCompleted(false);
  ASSERT_TRUE(store_->saveTask(*copy, error_));
  EXPECT_EQ(copy->completedDate(), std::nullopt);
  auto finished = zylo::CalTask::task();
  finished->setCalendar(calendar);
  finished->setIsCompleted(true);
  ASSERT_TRUE(store_->saveTask(*finished, error_));
  EXPECT_EQ(finished->completedDate(), testNow());
  ASSERT_TRUE(store_->removeCalendar(*calendar, error_));
  EXPECT_EQ(store_->calendars().size(), 1u);
}

}  // namespace
}  // namespace calendarstore::testing
