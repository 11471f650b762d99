// Every SDK function the plug-in calls, failing in turn as the host's
// library reports failures: the plug-in answers an error (or, for a deleter,
// carries on), never crashes and, under ASan, never leaks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <thread>

#include "platform/calendarstore/change_watcher.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/foundation/notification_center.h"
#include "tests/functions/sample_calendars.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

using namespace std::chrono;

// The host functions the plug-in imports.
const char* const kImported[] = {
    "FM_QuadChar_Constructor2", "FM_QuadChar_Delete", "FM_Text_Constructor1", "FM_Text_Delete",
    "FM_Text_GetSize", "FM_Text_GetUnicode", "FM_Text_Assign", "FM_Text_AssignUnicode",
    "FM_Text_AssignUnicodeWithLength", "FM_Text_AssignWide", "FM_Text_SetText", "FM_Text_Uppercase",
    "FM_Text_operatorEQ", "FM_Text_Find", "FM_Text_DeleteText", "FM_FixPt_Constructor1",
    "FM_FixPt_Delete", "FM_FixPt_AssignInt", "FM_FixPt_AsLong", "FM_DateTime_Constructor1",
    "FM_DateTime_Delete", "FM_DateTime_GetYear", "FM_DateTime_GetMonth", "FM_DateTime_GetDay",
    "FM_DateTime_GetHour", "FM_DateTime_GetMinute", "FM_DateTime_GetSec",
    "FM_DateTime_SetNormalizedDate1", "FM_DateTime_SetNormalizedTime1", "FM_Locale_Constructor1",
    "FM_Locale_Delete", "FM_Locale_operatorAS", "FM_Data_Constructor1", "FM_Data_Delete",
    "FM_Data_GetLocale", "FM_Data_SetAsText", "FM_Data_SetAsNumber", "FM_Data_SetAsDate",
    "FM_Data_SetAsTimeStamp", "FM_DataVect_Size", "FM_DataVect_At", "FM_DataVect_AtAsText",
    "FM_DataVect_AtAsNumber", "FM_DataVect_AtAsTimeStamp", "FM_ExprEnv_RegisterExternalFunction",
    "FM_ExprEnv_UnRegisterExternalFunction"};

// One call of the scenario; an empty name is an Idle message after a change
// notice from the store's thread.
struct Step {
  const char16_t* function;
  std::vector<fmxhost::Value> params;
};

std::vector<Step> scenario() {
  return {{u"Zylo_Version", {}},
          {u"Zylo_Version", {text(u"short")}},
          {u"Zylo_EventsFetch", {timestamp(2026, 6, 1, 0, 0, 0), timestamp(2026, 7, 1, 0, 0, 0), text(u"Work"), text(u"")}},
          {u"Zylo_GetItemCountForType", {text(u"event")}},
          {u"Zylo_OpenItemAt", {text(u"event"), number(1)}},
          {u"Zylo_GetProperty", {text(u"event"), text(u"startdate")}},
          {u"Zylo_GetProperty", {text(u"event"), text(u"title")}},
          {u"Zylo_TasksFetch", {text(u"Work"), text(u"incomplete"), text(u"")}},
          {u"Zylo_OpenItemAt", {text(u"task"), number(1)}},
          {u"Zylo_GetProperty", {text(u"task"), text(u"duedate")}},
          {u"Zylo_GetLastError", {text(u"number")}},
          {u"Zylo_GetLastError", {}},
          {u"Zylo_RegisterUpdateScript", {text(u"Sales"), text(u"On change")}},
          {u"", {}}};
}

int scriptStarts = 0;
FMX_Err countStart(const FM_Text*, const FM_Text*, uint8_t, const FM_Data*) {
  ++scriptStarts;
  return 0;
}

class HostFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("zylo-faults-" + std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
    writeSampleCalendars(root_);
  }
  void TearDown() override {
    fmxhost::clearFault();
    std::filesystem::remove_all(root_);
  }

  struct Outcome {
    intptr_t startUp = 0;
    std::map<std::string, int> callsAtStartUp;
    std::vector<fmxhost::Value> results;
    // How many calls of each function had been made when each step ended,
    // and after shutdown.
    std::vector<std::map<std::string, int>> callsAfter;
    std::map<std::string, int> callsAtEnd;
  };

  // Starts the plug-in on a fresh store, runs the scenario and shuts down.
  Outcome run() {
    auto berlin = foundation::namedZone("Europe/Berlin");
    auto store = std::make_shared<calendarstore::VdirCalendarStore>(
        root_, berlin, foundation::fixedClock(sys_days{year{2026} / 6 / 15} + hours{12}));
    PlatformServices services = testPlatform();
    services.timeZone = berlin;
    services.calendarStore = [store] { return store; };
    fmxhost::resetRegistry();
    fmxhost::resetSdkCallCounts();
    scriptStarts = 0;
    Outcome outcome;
    {
      TestHost host(services);
      outcome.startUp = host.startUpResult();
      outcome.callsAtStartUp = fmxhost::sdkCallCounts();
      if (outcome.startUp == 53) runSteps(host, outcome);
    }
    outcome.callsAtEnd = fmxhost::sdkCallCounts();
    return outcome;
  }

  static void runSteps(TestHost& host, Outcome& outcome) {
    host.setStartScript(countStart);
    for (const Step& step : scenario()) {
      if (*step.function == u'\0') {
        std::thread([] {
          foundation::NotificationCenter::defaultCenter().postNotification(
              {calendarstore::kEventsChangedExternally, {{calendarstore::kInsertedRecordsKey, {u"A"}}}});
        }).join();
        host.idle();
        outcome.results.push_back({});
      } else {
        outcome.results.push_back(host.call(step.function, step.params));
      }
      outcome.callsAfter.push_back(fmxhost::sdkCallCounts());
    }
  }

  std::filesystem::path root_;
};

bool isErrorMarker(const fmxhost::Value& v) { return v.asText() == u"!!ERROR!!"; }

int callsOf(const std::map<std::string, int>& counts, const char* name) {
  auto it = counts.find(name);
  return it == counts.end() ? 0 : it->second;
}

TEST_F(HostFaultTest, CleanRunCallsEveryImportedFunction) {
  Outcome clean = run();
  ASSERT_EQ(clean.startUp, 53);
  for (const fmxhost::Value& v : clean.results) EXPECT_FALSE(isErrorMarker(v));
  EXPECT_EQ(scriptStarts, 1);
  for (const char* name : kImported) EXPECT_GT(callsOf(clean.callsAtEnd, name), 0) << name;
}

TEST_F(HostFaultTest, EveryFunctionFailingInTurnIsAnsweredAsAnError) {
  const Outcome clean = run();
  ASSERT_EQ(clean.startUp, 53);
  for (const char* name : kImported) {
    SCOPED_TRACE(name);
    const bool deleter = std::string_view(name).ends_with("_Delete");
    // A timestamp parameter the host cannot give is absent, exactly like an
    // unreadable one, and the function goes on with its default.
    const bool readsTimestamp = std::string_view(name).starts_with("FM_DateTime_Get") ||
                                std::string_view(name) == "FM_DataVect_AtAsTimeStamp";
    // The first call fails: during start-up, a refused start-up registers
    // nothing; at shutdown, every other id is still unregistered.
    fmxhost::injectFault(name, 1);
    const Outcome first = run();
    EXPECT_TRUE(first.startUp == 53 || first.startUp == -1);
    if (first.startUp != 53) {
      EXPECT_GE(callsOf(first.callsAtStartUp, name), 1);
    } else if (callsOf(clean.callsAtStartUp, name) > 0) {
      EXPECT_TRUE(deleter) << "a failed start-up answered as a success";
    }
    EXPECT_TRUE(fmxhost::registeredFunctions().empty());
    // The first call after start-up fails: the step that made it answers the
    // error marker, or no result when the result itself could not be set.
    const int atStartUp = callsOf(clean.callsAtStartUp, name);
    if (clean.callsAfter.empty() || callsOf(clean.callsAfter.back(), name) == atStartUp) continue;
    fmxhost::injectFault(name, atStartUp + 1, deleter ? kFMX_Failure : kFMX_BadAlloc);
    const Outcome o = run();
    ASSERT_EQ(o.startUp, 53);
    size_t step = 0;
    while (step < o.callsAfter.size() && callsOf(o.callsAfter[step], name) <= atStartUp) ++step;
    ASSERT_LT(step, o.results.size());
    if (deleter || readsTimestamp || *scenario()[step].function == u'\0') continue;
    const fmxhost::Value& answer = o.results[step];
    EXPECT_TRUE(isErrorMarker(answer) || answer.nativeType() == kFMX_TypeInvalid)
        << "step " << step << " answered " << foundation::toUtf8(answer.asText());
  }
}

}  // namespace
}  // namespace zylo::testing
