#include "plugin/plugin_entry.h"

#include "errors/plugin_error.h"
#include "notify/notification_listener.h"
#include "plugin/function_registry.h"
#include "plugin/platform_services.h"
#include "plugin/plugin_state.h"
#include "plugin/string_resources.h"

bool g_bUseEK = false;

namespace zylo {

FMX_ExternCallStruct* gFMX_ExternCallPtr = nullptr;
std::shared_ptr<iCalFunctions> g_sharedFunctions;

namespace {

constexpr uint16_t kLowestHostVersion = 50;
constexpr uint16_t kHighestHostVersion = 255;
constexpr intptr_t kDeclaredVersion = 53;
constexpr intptr_t kRefused = -1;
constexpr int kLastSupportedMinor = 8;

ContextEnvironment contextEnvironment() {
  return {[] { return platformServices().calendarStore(); },
          [] { return platformServices().timeZone; }};
}

// Nothing may call into the plug-in once the host unloads it: the listener
// stops observing, leaves the run loop and goes (a new start-up makes a new
// one), and the store stops watching.
void stopChangeNotices() {
  delete listener;
  listener = nullptr;
  if (platformServices().stopWatchingStore) platformServices().stopWatchingStore();
}

void startUp(FMX_ExternCallStruct& call) {
  if (call.extnVersion < kLowestHostVersion || call.extnVersion > kHighestHostVersion) {
    call.result = kRefused;
    return;
  }
  registerExternalFunctions();
  Do_PluginInit();
  call.result = kDeclaredVersion;
}

}  // namespace

void Do_PluginInit() {
  std::optional<int> minor = platformServices().osVersion->minorVersion();
  g_bUseEK = minor && *minor > kLastSupportedMinor;
  if (g_bUseEK)
    g_sharedFunctions.reset();
  else
    g_sharedFunctions = iCalFunctions::sharedICalFunctions(contextEnvironment());
  error = std::make_shared<zylo_PluginError>();
}

}  // namespace zylo

void FMExternCallProc(FMX_ExternCallStruct* call) {
  using namespace zylo;
  if (!call) return;
  gFMX_ExternCallPtr = call;
  try {
    switch (call->whichCall) {
      case kFMXT_GetString:
        Do_GetString(call->parm1, call->parm2, call->parm3,
                     reinterpret_cast<FMX_Unichar*>(call->result));
        return;
      case kFMXT_Shutdown:
        unregisterExternalFunctions();
        stopChangeNotices();
        return;
      case kFMXT_Init:
        startUp(*call);
        return;
      default:
        return;
    }
  } catch (...) {
    // Nothing may reach the host; a start-up that failed half-way is refused.
    if (call->whichCall == kFMXT_Init) call->result = kRefused;
  }
}

bool UseEKImplementation() {
  try {
    std::optional<int> minor = zylo::platformServices().osVersion->minorVersion();
    return minor && *minor > zylo::kLastSupportedMinor;
  } catch (...) {
    return false;
  }
}
