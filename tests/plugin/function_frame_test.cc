// The frame's conversions, seen through functions of the test's own that
// the host calls like any registered function.
#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "platform/fmx/fmx.h"
#include "platform/foundation/date_text.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

using namespace std::chrono;

// One hour east of GMT in winter and two in summer, summer time running
// from 2026-03-29 01:00 to 2026-10-25 01:00 GMT.
class CentralEuropeanZone final : public foundation::TimeZone {
 public:
  int secondsFromGMT(foundation::Date at) const override {
    const auto summerStart = sys_days{year{2026} / 3 / 29} + 1h;
    const auto summerEnd = sys_days{year{2026} / 10 / 25} + 1h;
    return at >= summerStart && at < summerEnd ? 7200 : 3600;
  }
  foundation::Date dateFromLocal(const foundation::LocalDateTime& local) const override {
    return foundation::dateFromLocalByOffsets(local, *this);
  }
  std::optional<std::string> name() const override { return std::nullopt; }
};

// Answers the instant its timestamp parameter names, as GMT date text.
FMX_Err echoInstant(int16_t, const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    auto date = frame.timestamp(0);
    frame.clearErrors();
    frame.answerText(date ? foundation::describeDate(*date, *foundation::fixedOffsetZone(0))
                          : u"absent");
    frame.finish();
  });
}

FMX_Err echoTimestamp(int16_t, const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    auto date = frame.timestamp(0);
    frame.clearErrors();
    if (date) frame.answerTimestamp(*date);
    frame.finish();
  });
}

FMX_Err echoText(int16_t, const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    auto first = frame.text(0);
    auto second = frame.text(1);
    frame.clearErrors();
    frame.answerText((first ? *first : u"absent") + u"|" + (second ? *second : u"absent"));
    frame.finish();
  });
}

// A body that reaches a store which fails with an exception of the wrong
// kind: the boundary must still answer the host.
FMX_Err reachBrokenStore(int16_t, const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(env, result, [&](Session& session) {
    FunctionFrame frame(session, parms, result);
    frame.clearErrors();
    platformServices().calendarStore();
    frame.finish();
  });
}

void registerTestFunction(int16_t id, const char* name, FMX_ExternCallPtr function) {
  fmx::QuadChar plugin('T', 'e', 's', 't');
  fmx::Text text;
  text.assign(name);
  fmx::registerExternalFunction(plugin, id, text, text, 0, 2, 0, function);
}

class FunctionFrameTest : public ::testing::Test {
 protected:
  // Starts a host whose zone is `zone` and whose clock stands in winter.
  void start(std::shared_ptr<const foundation::TimeZone> zone) {
    PlatformServices services = testPlatform();
    services.timeZone = std::move(zone);
    services.calendarStore = []() -> std::shared_ptr<CalendarStore> {
      throw std::logic_error("store double failed");
    };
    host_.emplace(std::move(services));
    registerTestFunction(1, "EchoInstant", echoInstant);
    registerTestFunction(2, "EchoTimestamp", echoTimestamp);
    registerTestFunction(3, "EchoText", echoText);
    registerTestFunction(4, "ReachBrokenStore", reachBrokenStore);
  }
  std::u16string instantOf(fmxhost::Value v) {
    return textOf(host_->call(u"EchoInstant", {std::move(v)}));
  }
  std::optional<TestHost> host_;
};

TEST_F(FunctionFrameTest, SummerTimestampReadInWinterTakesTheSummerOffset) {
  start(std::make_shared<CentralEuropeanZone>());
  EXPECT_EQ(instantOf(timestamp(2026, 7, 1, 12, 0, 0)), u"2026-07-01 10:00:00 -0000");
  EXPECT_EQ(instantOf(timestamp(2026, 1, 20, 12, 0, 0)), u"2026-01-20 11:00:00 -0000");
}

TEST_F(FunctionFrameTest, TimestampComesBackWithTheSameWallClockFields) {
  start(std::make_shared<CentralEuropeanZone>());
  for (auto ts : {timestamp(2026, 7, 1, 12, 0, 0), timestamp(2026, 12, 31, 23, 59, 59)}) {
    fmxhost::Value back = host_->call(u"EchoTimestamp", {ts});
    ASSERT_EQ(back.nativeType(), kFMX_TypeTimeStamp);
    EXPECT_EQ(back.asText(), ts.asText());
  }
}

TEST_F(FunctionFrameTest, FixedZonesEastAndWest) {
  start(foundation::fixedOffsetZone(0));
  EXPECT_EQ(instantOf(timestamp(2026, 7, 1, 12, 0, 0)), u"2026-07-01 12:00:00 -0000");
  host_.reset();
  start(foundation::fixedOffsetZone(5 * 3600 + 1800));
  EXPECT_EQ(instantOf(timestamp(2026, 7, 1, 12, 0, 0)), u"2026-07-01 06:30:00 -0000");
  host_.reset();
  start(foundation::fixedOffsetZone(-5 * 3600));
  EXPECT_EQ(instantOf(timestamp(2026, 7, 1, 12, 0, 0)), u"2026-07-01 17:00:00 -0000");
}

TEST_F(FunctionFrameTest, OffsetsWithSecondsKeepTheirSeconds) {
  // Monrovia kept -00:44:30 until 1972, Berlin +00:53:28 until 1893.
  for (auto [zone, ts, instant] :
       {std::tuple{"Africa/Monrovia", timestamp(1970, 6, 1, 12, 0, 0), u"1970-06-01 12:44:30 -0000"},
        std::tuple{"Europe/Berlin", timestamp(1890, 6, 1, 12, 0, 0), u"1890-06-01 11:06:32 -0000"}}) {
    start(foundation::namedZone(zone));
    EXPECT_EQ(instantOf(ts), instant) << zone;
    EXPECT_EQ(host_->call(u"EchoTimestamp", {ts}).asText(), ts.asText()) << zone;
    host_.reset();
  }
}

TEST_F(FunctionFrameTest, EmptyOrUnreadableTimestampIsAbsent) {
  start(foundation::fixedOffsetZone(0));
  EXPECT_EQ(instantOf(text(u"")), u"absent");
  EXPECT_EQ(instantOf(text(u"next tuesday")), u"absent");
  EXPECT_EQ(instantOf(text(u"2026-07-01 12:00:00")), u"2026-07-01 12:00:00 -0000");
}

TEST_F(FunctionFrameTest, EmptyTextIsAbsentLikeAMissingParameter) {
  start(foundation::fixedOffsetZone(0));
  EXPECT_EQ(textOf(host_->call(u"EchoText", {text(u"")})), u"absent|absent");
  EXPECT_EQ(textOf(host_->call(u"EchoText", {text(u"a¶b"), number(7)})), u"a¶b|7");
}

TEST_F(FunctionFrameTest, ExceptionOfAnyKindBecomesUnknownException) {
  start(foundation::fixedOffsetZone(0));
  EXPECT_EQ(textOf(host_->call(u"ReachBrokenStore")), u"!!ERROR!!");
  EXPECT_EQ(textOf(host_->call(u"Zylo_GetLastError")), u"Unknown Exception");
  EXPECT_EQ(host_->call(u"Zylo_GetLastError", {text(u"number")}).asText(), u"-998");
}

}  // namespace
}  // namespace zylo::testing
