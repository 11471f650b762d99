// Plays the host for the plug-in inside the test process: installs the
// test's platform, sends the lifecycle messages and calls registered
// functions through the SDK library, as zylo-host does across dlopen.
#ifndef ZYLO_TESTS_PLUGIN_TEST_HOST_H_
#define ZYLO_TESTS_PLUGIN_TEST_HOST_H_

#include <filesystem>
#include <mutex>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "platform/fmx/host/host_api.h"
#include "platform/foundation/strings_file.h"
#include "plugin/platform_services.h"

namespace zylo::testing {

class FixedOsVersion : public foundation::OsVersion {
 public:
  explicit FixedOsVersion(std::optional<int> minor) : minor_(minor) {}
  std::optional<int> minorVersion() const override { return minor_; }

 private:
  std::optional<int> minor_;
};

// Services with a fixed zone (GMT), a fixed clock, an older system and no
// store; each field can be replaced before the host starts.
PlatformServices testPlatform();

// Starts the plug-in on construction and, on destruction, ends every session
// it called in and shuts the plug-in down. The string table is the built-in
// one unless `strings` is given.
class TestHost {
 public:
  explicit TestHost(PlatformServices services = testPlatform(),
                    std::shared_ptr<const foundation::StringsTable> strings = nullptr,
                    uint16_t hostVersion = 60);
  ~TestHost();

  intptr_t startUpResult() const { return startUp_; }
  // Calls a registered function by name in session `session`; fails the
  // test when it is unknown. Thread-safe once started.
  fmxhost::Value call(std::u16string_view name, std::vector<fmxhost::Value> params = {},
                      uintptr_t session = 0);
  // Sends the session-shutdown message for `session`.
  void endSession(uintptr_t session);
  // Sends one message with the given fields and answers the result field.
  intptr_t send(uint8_t message, intptr_t result = 0);
  // The script-start callback the host hands the plug-in from now on (with
  // an Idle message at once).
  void setStartScript(FMX_StartScriptCall callback);
  // Sends Idle at that level: the plug-in starts the scripts of the notices
  // queued since, unless calls back are unsafe.
  void idle(uint8_t level = kFMXT_UserIdle, bool unsafeCalls = false);
  // A string request into a buffer of `capacity` units filled with 'x'.
  std::u16string requestString(uint32_t number, int32_t capacity);

 private:
  FMX_ExternCallStruct callStruct(uint8_t message);
  uint16_t hostVersion_;
  FMX_StartScriptCall startScript_ = nullptr;
  intptr_t startUp_ = 0;
  std::mutex sessionsLock_;
  std::set<uintptr_t> sessions_;  // guarded by sessionsLock_
};

fmxhost::Value text(std::u16string_view s);
fmxhost::Value number(int64_t n);
fmxhost::Value timestamp(int year, int month, int day, int hour, int minute, int second);
std::u16string textOf(const fmxhost::Value& v);

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_PLUGIN_TEST_HOST_H_
