// Timestamps as wall-clock time in the default zone (Europe/Berlin): times
// in the spring gap and the repeated autumn hour, offsets with seconds, and
// years past the zone files' last listed change, the same whatever the
// season the script runs in.
#include "tests/functions/function_fixture.h"

namespace zylo::testing {
namespace {

using namespace std::chrono;

const foundation::Date kWinter = sys_days{year{2027} / 1 / 15} + hours{12};
const foundation::Date kSummer = sys_days{year{2027} / 7 / 15} + hours{12};

foundation::Date utc(int y, int m, int d, int h, int min = 0, int s = 0) {
  return sys_days{year{y} / m / d} + hours{h} + minutes{min} + seconds{s};
}

class WallTimeTest : public FunctionTest {
 protected:
  fmxhost::Value get(const char16_t* property) {
    return call(u"Zylo_GetProperty", {text(u"event"), text(property)});
  }
  // Creates and saves an event from `start` to `end`; answers its UID.
  std::u16string create(fmxhost::Value start, fmxhost::Value end) {
    expectNumber(call(u"Zylo_NewItem", {text(u"event")}), 0);
    expectNumber(call(u"Zylo_SetProperty", {text(u"event"), text(u"calendartitle"), text(u"Home")}), 0);
    expectNumber(call(u"Zylo_SetProperty", {text(u"event"), text(u"startdate"), std::move(start)}), 0);
    expectNumber(call(u"Zylo_SetProperty", {text(u"event"), text(u"enddate"), std::move(end)}), 0);
    expectNumber(call(u"Zylo_SaveItem", {text(u"event")}), 0);
    return textOf(get(u"uid"));
  }
  foundation::Date storedStart(const std::u16string& uid) {
    auto event = store_->eventWithUID(uid, std::nullopt);
    EXPECT_NE(event, nullptr);
    return event ? *event->startDate() : foundation::Date{};
  }
  std::vector<foundation::Date> createTheSameEvents() {
    return {storedStart(create(timestamp(2028, 3, 26, 2, 30, 0), timestamp(2028, 3, 26, 4, 0, 0))),
            storedStart(create(timestamp(2028, 10, 29, 2, 30, 0), timestamp(2028, 10, 29, 3, 0, 0))),
            storedStart(create(timestamp(1890, 6, 1, 12, 0, 0), timestamp(1890, 6, 1, 13, 0, 0))),
            storedStart(create(timestamp(2046, 7, 15, 10, 0, 0), timestamp(2046, 7, 15, 11, 0, 0)))};
  }
};

TEST_F(WallTimeTest, TheSameScriptStoresTheSameInstantsInWinterAndSummer) {
  restartStoreAt(kWinter);
  const auto winter = createTheSameEvents();
  restartStoreAt(kSummer);
  const auto summer = createTheSameEvents();
  EXPECT_EQ(winter, summer);
  // 02:30 in the gap reads as 03:30 summer time; the repeated 02:30 is the
  // first, still in summer time; before 1893 Berlin kept +00:53:28; 2046
  // still has summer time.
  EXPECT_EQ(winter, (std::vector{utc(2028, 3, 26, 1, 30), utc(2028, 10, 29, 0, 30),
                                 utc(1890, 6, 1, 11, 6, 32), utc(2046, 7, 15, 8)}));
}

TEST_F(WallTimeTest, TimestampsReadBackWithTheirWallClockFields) {
  create(timestamp(1890, 6, 1, 12, 0, 0), timestamp(1890, 6, 1, 13, 0, 0));
  expectTimestamp(get(u"startdate"), 1890, 6, 1, 12, 0, 0);
  create(timestamp(2041, 7, 15, 12, 0, 0), timestamp(2041, 7, 15, 13, 0, 0));
  expectTimestamp(get(u"startdate"), 2041, 7, 15, 12, 0, 0);
  create(timestamp(2028, 3, 26, 2, 30, 0), timestamp(2028, 3, 26, 4, 0, 0));
  expectTimestamp(get(u"startdate"), 2028, 3, 26, 3, 30, 0);
}

TEST_F(WallTimeTest, AnOccurrenceInTheRepeatedHourOpensAndRemovesByItsOccurrence) {
  for (foundation::Date now : {kWinter, kSummer}) {
    restartStoreAt(now);
    const auto uid = create(timestamp(2028, 10, 27, 2, 30, 0), timestamp(2028, 10, 27, 2, 45, 0));
    expectNumber(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(uid)}), 0);
    expectNumber(call(u"Zylo_AddRecurrence", {text(u"daily"), number(1), text(u""), text(u""),
                                              text(u""), text(u""), text(u""), number(5)}),
                 0);
    expectNumber(call(u"Zylo_SaveItem", {text(u"event"), text(u"all")}), 0);
    auto fetchTheDay = [&] {
      expectNumber(call(u"Zylo_EventsFetch", {timestamp(2028, 10, 29, 0, 0, 0),
                                              timestamp(2028, 10, 30, 0, 0, 0), text(u"Home"),
                                              text(uid)}),
                   0);
      return call(u"Zylo_GetItemCountForType", {text(u"event")});
    };
    expectNumber(fetchTheDay(), 1);
    expectNumber(call(u"Zylo_OpenItemAt", {text(u"event"), number(1)}), 0);
    const fmxhost::Value occurrence = get(u"occurrence");
    expectTimestamp(occurrence, 2028, 10, 29, 2, 30, 0);
    expectNumber(call(u"Zylo_OpenItemWithUID", {text(u"event"), text(uid), occurrence}), 0);
    expectNumber(call(u"Zylo_RemoveItem", {text(u"event"), text(uid), occurrence, text(u"this")}), 0);
    expectNumber(fetchTheDay(), 0);
  }
}

}  // namespace
}  // namespace zylo::testing
