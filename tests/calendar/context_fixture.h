// A calendar context over a memory store the test fills, with a
// zone one hour east of GMT; every test starts from an empty context and
// cleared error records.
#ifndef ZYLO_TESTS_CALENDAR_CONTEXT_FIXTURE_H_
#define ZYLO_TESTS_CALENDAR_CONTEXT_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>

#include "calendar/ical_functions.h"
#include "errors/last_error.h"
#include "tests/calendar/memory_store.h"

namespace zylo::testing {

// A UTC instant from its fields.
foundation::Date utc(int year, int month, int day, int hour = 0, int minute = 0);

class ContextTest : public ::testing::Test {
 protected:
  void SetUp() override;

  iCalFunctions& context() { return *context_; }
  // Calendars Home ("home") and Work ("work"); in Work five events
  // "e1".."e5" on 1 to 5 June 2026 at 10:00 GMT for an hour; in Home one
  // event "h1" on 2 June; in Work tasks "t1" (open, due 10 June), "t2"
  // (completed 3 June) and "t3" (open, no due date).
  void addSample();
  std::shared_ptr<CalEvent> event(const foundation::String& uid,
                                  const std::shared_ptr<CalCalendar>& calendar,
                                  foundation::Date start, CalEvent::Loaded more = {});
  // The calendar, event, task, attendee and recurrence rule slots are empty.
  void expectNoCurrentItems();

  std::shared_ptr<MemoryStore> store_;
  std::shared_ptr<CalCalendar> home_, work_;

 private:
  std::unique_ptr<iCalFunctions> context_;
};

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_CALENDAR_CONTEXT_FIXTURE_H_
