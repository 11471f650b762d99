// Start-up, shutdown and the messages the entry point leaves alone.
#include <gtest/gtest.h>

#include "plugin/plugin_entry.h"
#include "plugin/plugin_state.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {
namespace {

class LifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { fmxhost::resetRegistry(); }
};

TEST_F(LifecycleTest, AcceptsHostVersionsFrom50To255Only) {
  for (uint16_t version : {49, 256, 1000}) {
    fmxhost::resetRegistry();
    TestHost host(testPlatform(), nullptr, version);
    EXPECT_EQ(host.startUpResult(), -1) << version;
    EXPECT_TRUE(fmxhost::registeredFunctions().empty()) << version;
  }
  for (uint16_t version : {50, 60, 255}) {
    TestHost host(testPlatform(), nullptr, version);
    EXPECT_EQ(host.startUpResult(), 53) << version;
  }
}

TEST_F(LifecycleTest, RegistersTheSixteenFunctionsInOrderWithTheirNames) {
  TestHost host;
  const auto& functions = fmxhost::registeredFunctions();
  const std::vector<std::pair<int16_t, std::u16string>> expected = {
      {151, u"Zylo_Version"},          {152, u"Zylo_GetItemCountForType"},
      {153, u"Zylo_OpenItemAt"},       {154, u"Zylo_OpenItemWithUID"},
      {155, u"Zylo_GetProperty"},      {156, u"Zylo_EventsFetch"},
      {157, u"Zylo_TasksFetch"},       {158, u"Zylo_CalOpenCalendarWithTitle"},
      {159, u"Zylo_SetProperty"},      {160, u"Zylo_GetLastError"},
      {161, u"Zylo_SaveItem"},         {162, u"Zylo_AddRecurrence"},
      {165, u"Zylo_RemoveRecurrence"}, {166, u"Zylo_NewItem"},
      {167, u"Zylo_RemoveItem"},       {169, u"Zylo_RegisterUpdateScript"}};
  ASSERT_EQ(functions.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(functions[i].id, expected[i].first);
    EXPECT_EQ(functions[i].name, expected[i].second);
    EXPECT_EQ(functions[i].pluginId, "Zylo");
    EXPECT_EQ(functions[i].flags, 0xFF01u);
  }
  EXPECT_EQ(functions[0].prototype, u"Zylo_Version( { format } )");
  EXPECT_EQ(functions[0].minArgs, 0);
  EXPECT_EQ(functions[0].maxArgs, 1);
  EXPECT_EQ(functions[14].minArgs, 2);  // Zylo_RemoveItem takes 2 to 4
  EXPECT_EQ(functions[14].maxArgs, 4);
}

TEST_F(LifecycleTest, ShutdownUnregistersTheWholeIdRange) {
  {
    TestHost host;
  }
  std::vector<int16_t> expected;
  for (int16_t id = 148; id <= 169; ++id) expected.push_back(id);
  EXPECT_EQ(fmxhost::unregistrationCalls(), expected);
  EXPECT_TRUE(fmxhost::registeredFunctions().empty());
}

TEST_F(LifecycleTest, OtherMessagesLeaveTheResultFieldAlone) {
  TestHost host;
  for (uint8_t message : {1, 2, 3, 5, 6, 8, 9, 255}) {
    EXPECT_EQ(host.send(message, 12345), 12345) << int{message};
  }
}

TEST_F(LifecycleTest, NewerSystemStartsWithoutAContext) {
  PlatformServices services = testPlatform();
  services.osVersion = std::make_shared<FixedOsVersion>(9);
  TestHost host(services);
  EXPECT_EQ(host.startUpResult(), 53);
  EXPECT_TRUE(g_bUseEK);
  EXPECT_FALSE(g_sessions->withContexts());
  EXPECT_TRUE(UseEKImplementation());
}

TEST_F(LifecycleTest, FailedVersionQueryCountsAsAnOlderSystem) {
  PlatformServices services = testPlatform();
  services.osVersion = std::make_shared<FixedOsVersion>(std::nullopt);
  TestHost host(services);
  EXPECT_FALSE(g_bUseEK);
  EXPECT_TRUE(g_sessions->withContexts());
  EXPECT_FALSE(UseEKImplementation());
}

TEST_F(LifecycleTest, RestartKeepsTheSessions) {
  std::shared_ptr<SessionTable> first;
  {
    TestHost host;
    first = g_sessions;
  }
  TestHost again;
  EXPECT_EQ(g_sessions, first);
  EXPECT_EQ(fmxhost::registeredFunctions().size(), 16u);
}

}  // namespace
}  // namespace zylo::testing
