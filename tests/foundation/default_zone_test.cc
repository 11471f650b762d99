// Zones from the system's zoneinfo: offsets across daylight-saving changes,
// local times in gaps and repeats, and how the default zone is found.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/foundation/default_zone.h"
#include "platform/foundation/time_zone.h"

namespace foundation {
namespace {

using namespace std::chrono;

TEST(NamedZone, OffsetFollowsDaylightSaving) {
  auto berlin = namedZone("Europe/Berlin");
  ASSERT_NE(berlin, nullptr);
  EXPECT_EQ(berlin->secondsFromGMT(sys_days{year{2026} / 1 / 15}), 3600);
  EXPECT_EQ(berlin->secondsFromGMT(sys_days{year{2026} / 7 / 15}), 7200);
  EXPECT_EQ(namedZone("Nowhere/Atlantis"), nullptr);
}

TEST(NamedZone, GapTakesTheOffsetBeforeAndRepeatTheFirst) {
  auto berlin = namedZone("Europe/Berlin");
  ASSERT_NE(berlin, nullptr);
  // 02:30 does not exist on 2026-03-29; with the winter offset it is 01:30 GMT.
  EXPECT_EQ(berlin->dateFromLocal({2026, 3, 29, 2, 30, 0}), sys_days{year{2026} / 3 / 29} + 1h + 30min);
  // 02:30 happens twice on 2026-10-25; the first is still summer time.
  EXPECT_EQ(berlin->dateFromLocal({2026, 10, 25, 2, 30, 0}), sys_days{year{2026} / 10 / 25} + 30min);
}

TEST(SplitGregorian, FieldsInTheZone) {
  const Date d = sys_days{year{2026} / 12 / 31} + 23h + 30min;
  EXPECT_EQ(splitGregorian(d, *fixedOffsetZone(3600)), (LocalDateTime{2027, 1, 1, 0, 30, 0}));
  EXPECT_EQ(splitGregorian(d, *fixedOffsetZone(-3600)), (LocalDateTime{2026, 12, 31, 22, 30, 0}));
  EXPECT_EQ(splitGregorian(sys_days{year{1969} / 12 / 31}, *fixedOffsetZone(0)),
            (LocalDateTime{1969, 12, 31, 0, 0, 0}));
}

TEST(DefaultZone, FromTheTzValue) {
  const std::filesystem::path noLink = "/nonexistent/localtime";
  EXPECT_EQ(defaultZoneFor("Asia/Kolkata", noLink)->name(), "Asia/Kolkata");
  EXPECT_EQ(defaultZoneFor(":America/New_York", noLink)->name(), "America/New_York");
  EXPECT_EQ(defaultZoneFor("/usr/share/zoneinfo/Europe/Berlin", noLink)->name(), "Europe/Berlin");
  for (const char* unusable : {"", "Not/AZone", "/etc/passwd"}) {
    EXPECT_EQ(defaultZoneFor(unusable, noLink)->secondsFromGMT(Date{}), 0) << unusable;
  }
}

TEST(DefaultZone, WithoutTzFromTheLocaltimeLink) {
  const auto folder = std::filesystem::temp_directory_path() / ("zylo-zone-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink("/usr/share/zoneinfo/Pacific/Auckland", folder / "localtime");
  EXPECT_EQ(defaultZoneFor(std::nullopt, folder / "localtime")->name(), "Pacific/Auckland");
  EXPECT_EQ(defaultZoneFor(std::nullopt, folder / "missing")->secondsFromGMT(Date{}), 0);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace foundation
