#include "plugin/plugin_entry.h"

#include <algorithm>
#include <limits>

#include "notify/notification_listener.h"
#include "plugin/function_registry.h"
#include "plugin/platform_services.h"
#include "plugin/plugin_lock.h"
#include "plugin/plugin_state.h"
#include "plugin/string_resources.h"

bool g_bUseEK = false;
FMX_ExternCallStruct* gFMX_ExternCallPtr = nullptr;

namespace zylo {

std::atomic<FMX_StartScriptCall> g_startScript = nullptr;
std::shared_ptr<SessionTable> g_sessions;

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
// stops observing and goes (a new start-up makes a new one), and the store
// stops watching.
void stopChangeNotices() {
  dropListener();
  if (platformServices().stopWatchingStore) platformServices().stopWatchingStore();
}

// The host's version is read unsigned. A start-up that fails half-way leaves
// no function registered that could call into a refused plug-in.
void startUp(FMX_ExternCallStruct& call) {
  const auto hostVersion = static_cast<uint16_t>(call.extnVersion);
  if (hostVersion < kLowestHostVersion || hostVersion > kHighestHostVersion) {
    call.result = kRefused;
    return;
  }
  try {
    registerExternalFunctions();
    Do_PluginInit();
  } catch (...) {
    call.result = kRefused;
    try {
      unregisterExternalFunctions();
    } catch (...) {
      // The host failed again; nothing more can be undone.
    }
    return;
  }
  call.result = kDeclaredVersion;
}

// The string request: parm1 the string's number, parm2 the language, parm3
// the room in the buffer (UTF-16 units), result the buffer.
void answerString(const FMX_ExternCallStruct& call) {
  const uint64_t hostRoom = call.parm3;  // a packed field: copied, never bound by reference
  const auto room = static_cast<int32_t>(
      std::min<uint64_t>(hostRoom, std::numeric_limits<int32_t>::max()));
  Do_GetString(call.parm1, static_cast<uint32_t>(call.parm2), room,
               reinterpret_cast<FMX_Unichar*>(call.result));
}

// The notices stop even when the host fails to unregister.
void shutDown() {
  try {
    unregisterExternalFunctions();
  } catch (...) {
    stopChangeNotices();
    throw;
  }
  stopChangeNotices();
}

// The listener whose queued changes an Idle message may start scripts for:
// none while the host says calls back are unsafe.
std::shared_ptr<QTXiCalNotificationListener> listenerToRun(const FMX_ExternCallStruct& call) {
  if (call.unsafeCalls != 0 || call.parm1 == kFMXT_Unsafe) return nullptr;
  return listener();
}

// The host's session-shutdown message names the session in parm2: its
// current items and error records go.
void endSession(const FMX_ExternCallStruct& call) {
  if (g_sessions) g_sessions->endSession(static_cast<uintptr_t>(call.parm2));
}

void handle(FMX_ExternCallStruct& call) {
  switch (call.whichCall) {
    case kFMXT_Init:
      startUp(call);
      return;
    case kFMXT_Shutdown:
      shutDown();
      return;
    case kFMXT_GetString:
      answerString(call);
      return;
    case kFMXT_SessionShutdown:
      endSession(call);
      return;
    case kFMXT_Idle:  // answered outside the lock
    case kFMXT_FileShutdown:
    default:
      return;
  }
}

}  // namespace

// Sessions outlive a shutdown and a new start-up, as long as the system
// still allows the calendar context.
void Do_PluginInit() {
  std::optional<int> minor = platformServices().osVersion->minorVersion();
  g_bUseEK = minor && *minor > kLastSupportedMinor;
  if (!g_sessions || g_sessions->withContexts() == g_bUseEK) {
    g_sessions = std::make_shared<SessionTable>(contextEnvironment(), !g_bUseEK);
  }
}

}  // namespace zylo

void FMExternCallProc(FMX_ExternCallStruct* call) {
  using namespace zylo;
  if (!call) return;
  try {
    std::shared_ptr<QTXiCalNotificationListener> toRun;
    {
      std::lock_guard guard(pluginLock());
      gFMX_ExternCallPtr = call;
      g_startScript = call->cStartScript;
      if (call->whichCall == kFMXT_Idle) {
        toRun = listenerToRun(*call);
      } else {
        handle(*call);
      }
    }
    // Update scripts start once the lock is released: the host's start call
    // may wait for a session whose call waits for the lock.
    if (toRun) toRun->handleQueuedNotifications();
  } catch (...) {
    // Nothing may reach the host; a start-up failure was answered above.
  }
}

bool UseEKImplementation() {
  try {
    std::lock_guard guard(zylo::pluginLock());
    std::optional<int> minor = zylo::platformServices().osVersion->minorVersion();
    return minor && *minor > zylo::kLastSupportedMinor;
  } catch (...) {
    return false;
  }
}
