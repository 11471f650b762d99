#include "tests/calendar/context_fixture.h"

namespace zylo::testing {

using namespace std::chrono;

foundation::Date utc(int y, int m, int d, int h, int min) {
  return sys_days{year{y} / m / d} + hours{h} + minutes{min};
}

void ContextTest::SetUp() {
  store_ = std::make_shared<MemoryStore>();
  context_ = std::make_unique<iCalFunctions>(
      ContextEnvironment{[store = store_] { return store; }, [] { return foundation::fixedOffsetZone(3600); }});
  g_llasterror = 0;
}

std::shared_ptr<CalEvent> ContextTest::event(const foundation::String& uid,
                                             const std::shared_ptr<CalCalendar>& calendar,
                                             foundation::Date start, CalEvent::Loaded more) {
  auto e = std::make_shared<CalEvent>();
  e->setUid(uid);
  e->setCalendar(calendar);
  e->setTitle(u"Event " + uid);
  more.startDate = start;
  if (!more.endDate) more.endDate = start + hours{1};
  e->loadFromStore(std::move(more));
  e->clearChanges();
  return e;
}

void ContextTest::addSample() {
  home_ = store_->addCalendar(u"home", u"Home");
  work_ = store_->addCalendar(u"work", u"Work");
  for (int day = 1; day <= 5; ++day) {
    store_->add(event(u"e" + foundation::fromUtf8(std::to_string(day)), work_,
                      utc(2026, 6, day, 10)));
  }
  store_->add(event(u"h1", home_, utc(2026, 6, 2, 8)));
  auto task = [&](const char16_t* uid, std::optional<foundation::Date> due,
                  std::optional<foundation::Date> completed) {
    auto t = std::make_shared<CalTask>();
    t->setUid(uid);
    t->setCalendar(work_);
    t->loadFromStore(due, completed, completed.has_value(), CalTask::kNone);
    store_->add(t);
  };
  task(u"t1", utc(2026, 6, 10), std::nullopt);
  task(u"t2", std::nullopt, utc(2026, 6, 3));
  task(u"t3", std::nullopt, std::nullopt);
}

void ContextTest::expectNoCurrentItems() {
  EXPECT_EQ(context().currentCalendar(), nullptr);
  EXPECT_EQ(context().currentEvent(), nullptr);
  EXPECT_EQ(context().currentTask(), nullptr);
  EXPECT_EQ(context().currentAttendee(), nullptr);
  EXPECT_EQ(context().currentRecurrenceRule(), nullptr);
}

}  // namespace zylo::testing
