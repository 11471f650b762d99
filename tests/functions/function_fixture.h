// A started plug-in over the sample calendars in a temp folder of its own,
// in Europe/Berlin, with a fixed clock; the context starts empty.
#ifndef ZYLO_TESTS_FUNCTIONS_FUNCTION_FIXTURE_H_
#define ZYLO_TESTS_FUNCTIONS_FUNCTION_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "calendar/calendar_store.h"
#include "tests/plugin/test_host.h"

namespace zylo::testing {

class FunctionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Restarts the plug-in as on a system too new for the context.
  void startOnNewerSystem();
  // Replaces the store with one over the same folder whose clock says `now`.
  void restartStoreAt(foundation::Date now);

  fmxhost::Value call(std::u16string_view name, std::vector<fmxhost::Value> params = {});
  // The same in session `session`; thread-safe.
  fmxhost::Value callIn(uintptr_t session, std::u16string_view name, std::vector<fmxhost::Value> params = {});
  void endSession(uintptr_t session);
  int32_t lastCode();
  std::u16string lastError();

  std::filesystem::path root_;
  std::shared_ptr<CalendarStore> store_;
  // Runs whenever the plug-in asks for the store; a test makes it throw.
  std::function<void()> storeFault_ = [] {};

 private:
  PlatformServices services(int osMinor);
  std::optional<TestHost> host_;
};

// The value is the number n.
void expectNumber(const fmxhost::Value& v, int64_t n);
void expectTimestamp(const fmxhost::Value& v, int year, int month, int day, int hour, int minute,
                     int second);
void expectEmpty(const fmxhost::Value& v);

}  // namespace zylo::testing

#endif  // ZYLO_TESTS_FUNCTIONS_FUNCTION_FIXTURE_H_
