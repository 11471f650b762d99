// Registering an update script and the notices that start it.
#include <gtest/gtest.h>

#include <thread>

#include "notify/notification_listener.h"
#include "platform/calendarstore/change_watcher.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

struct Start {
  std::u16string database, script, parameter;
  std::thread::id thread;
};
std::vector<Start> starts;

FMX_Err recordStart(const FM_Text* database, const FM_Text* script, uint8_t control, const FM_Data* parameter) {
  EXPECT_EQ(control, kFMX_ScriptResume);
  starts.push_back({fmxhost::textOf(database), fmxhost::textOf(script), fmxhost::valueOf(parameter).asText(),
                    std::this_thread::get_id()});
  return 0;
}

foundation::Notification notice(std::map<foundation::String, std::vector<foundation::String>> info) {
  return {calendarstore::kEventsChangedExternally, std::move(info)};
}

void post(const foundation::Notification& n) { foundation::NotificationCenter::defaultCenter().postNotification(n); }

class UpdateScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    starts.clear();
    host_.setStartScript(recordStart);
  }
  fmxhost::Value registerScript(const char16_t* database, const char16_t* script) {
    return host_.call(u"Zylo_RegisterUpdateScript", {text(database), text(script)});
  }
  TestHost host_;
};

TEST_F(UpdateScriptTest, OneStartPerNoticeForTheFirstIdentifierOfTheFirstKey) {
  EXPECT_EQ(registerScript(u"Sales", u"On change").nativeType(), kFMX_TypeInvalid);
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError")), u"Success");
  post(notice({{calendarstore::kInsertedRecordsKey, {u"A", u"B"}}, {calendarstore::kDeletedRecordsKey, {u"C"}}}));
  post(notice({{calendarstore::kDeletedRecordsKey, {u"C"}}, {calendarstore::kUpdatedRecordsKey, {u"\u00E9v\u00E9nement-\U0001F4C5"}}}));
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].database, u"Sales");
  EXPECT_EQ(starts[0].script, u"On change");
  EXPECT_EQ(starts[0].parameter, u"New A");
  EXPECT_EQ(starts[1].parameter, u"Updated \u00E9v\u00E9nement-\U0001F4C5");
  // Nothing to report: no script.
  post(notice({}));
  post(notice({{calendarstore::kInsertedRecordsKey, {}}, {calendarstore::kDeletedRecordsKey, {u"C"}}}));
  EXPECT_EQ(starts.size(), 2u);
}

TEST_F(UpdateScriptTest, NoticesFromAnotherThreadRunInOrderOnIdle) {
  registerScript(u"Sales", u"On change");
  std::thread other([] {
    for (const char16_t* uid : {u"1", u"2", u"3"}) post(notice({{calendarstore::kDeletedRecordsKey, {uid}}}));
  });
  other.join();
  EXPECT_TRUE(starts.empty());  // queued until the host is idle
  host_.idle(kFMXT_Unsafe);
  host_.idle(kFMXT_UserIdle, true);
  EXPECT_TRUE(starts.empty());  // and says calls back are safe
  host_.idle(kFMXT_ScriptRunning);
  ASSERT_EQ(starts.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(starts[i].parameter, u"Deleted " + std::u16string(1, char16_t(u'1' + i)));
    EXPECT_EQ(starts[i].thread, std::this_thread::get_id());
  }
  host_.idle();
  EXPECT_EQ(starts.size(), 3u);  // each notice starts its script once
}

// The host sends Idle on a thread of its own choosing while other threads
// call functions and register again: none races another (ThreadSanitizer
// runs this).
TEST_F(UpdateScriptTest, IdleOnAnotherHostThreadWhileFunctionsRun) {
  registerScript(u"Sales", u"On change");
  std::thread store([] {
    for (int i = 0; i < 50; ++i) {
      post(notice({{calendarstore::kInsertedRecordsKey, {foundation::fromUtf8(std::to_string(i))}}}));
    }
  });
  std::thread idler([this] {
    for (int i = 0; i < 50; ++i) host_.idle();
  });
  std::thread caller([this] {
    for (int i = 0; i < 50; ++i) EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError", {}, 2)), u"Success");
  });
  std::thread registrant([this] {
    for (int i = 0; i < 20; ++i) host_.call(u"Zylo_RegisterUpdateScript", {text(u"Sales"), text(u"On change")}, 3);
  });
  for (int i = 0; i < 50; ++i) host_.call(u"Zylo_Version", {text(u"long")});
  store.join();
  idler.join();
  caller.join();
  registrant.join();
  host_.idle();
  EXPECT_EQ(starts.size(), 50u);
}

// The host refuses the start (a script that does not exist, say): the
// session that registered it reads why; another session reads nothing.
TEST_F(UpdateScriptTest, ARefusedStartIsTheRegisteringSessionsError) {
  host_.setStartScript([](const FM_Text*, const FM_Text*, uint8_t, const FM_Data*) -> FMX_Err { return 104; });
  host_.call(u"Zylo_RegisterUpdateScript", {text(u"Sales"), text(u"Missing")}, 7);
  std::thread([] { post(notice({{calendarstore::kInsertedRecordsKey, {u"A"}}})); }).join();
  host_.idle();
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError", {}, 7)),
            u"System Error The update script could not be started (host error 104).");
  EXPECT_EQ(host_.call(u"Zylo_GetLastError", {text(u"number")}, 7).asText(), u"-400");
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError", {}, 8)), u"Success");
}

TEST_F(UpdateScriptTest, RepeatedRegistrationReplacesTheNamesOnly) {
  registerScript(u"Sales", u"First");
  registerScript(u"", u"");
  EXPECT_EQ(textOf(host_.call(u"Zylo_GetLastError")), u"Success");
  registerScript(u"Sales", u"Second");
  post(notice({{calendarstore::kInsertedRecordsKey, {u"A"}}}));
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].script, u"Second");
}

TEST_F(UpdateScriptTest, ShutdownStopsEveryCallback) {
  registerScript(u"Sales", u"On change");
  std::thread([] { post(notice({{calendarstore::kInsertedRecordsKey, {u"queued"}}})); }).join();
  host_.send(kFMXT_Shutdown);
  post(notice({{calendarstore::kInsertedRecordsKey, {u"A"}}}));
  host_.idle();
  EXPECT_TRUE(starts.empty());
  host_.send(kFMXT_Init);
}

}  // namespace
}  // namespace zylo::testing

namespace zylo::testing {
namespace {

// A host that ends without shutting the plug-in down: the process must
// still exit cleanly, whatever order the process's objects go in.
TEST(UpdateScriptAtExit, AProcessEndingWithoutShutdownExitsCleanly) {
  EXPECT_EXIT(
      {
        auto* host = new TestHost;  // never shut down
        host->call(u"Zylo_RegisterUpdateScript", {text(u"Sales"), text(u"On change")});
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zylo::testing
