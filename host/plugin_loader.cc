#include "host/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>

namespace zylo::host {
namespace {

constexpr intptr_t kAccepted = 53;
constexpr uint64_t kStringRoom = 4096;
// The application kind zylo-host announces: the server's script engine.
constexpr uint8_t kScriptEngine = 7;
constexpr char16_t kHostVersionText[] = u"zylo-host";
constexpr uint8_t kOptionsString = 131;
// Where the options string enables Idle and the session and file
// shut-downs (characters 9 and 10, counted from 1).
constexpr size_t kIdleOption = 8, kSessionShutdownOption = 9;

bool enabled(const std::u16string& options, size_t at) { return at < options.size() && options[at] == u'Y'; }

std::string dlMessage() {
  const char* message = dlerror();
  return message ? message : "unknown error";
}

}  // namespace

LoadedPlugin::LoadedPlugin(const std::filesystem::path& file, uint16_t hostVersion,
                           FMX_StartScriptCall startScript)
    : startScript_(startScript), hostVersion_(hostVersion) {
  // A path without a slash would make dlopen search the library path. The
  // plug-in stays mapped after it is closed: what it keeps for the whole
  // process (its notification centre, its store's watcher) ends with the
  // process, not in the middle of it.
  handle_ = dlopen(std::filesystem::absolute(file).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle_) throw PluginLoadError("cannot load the plug-in: " + dlMessage());
  entry_ = reinterpret_cast<FMX_ExternCallProcPtr>(dlsym(handle_, "FMExternCallProc"));
  if (!entry_) {
    std::string message = "the plug-in has no entry point: " + dlMessage();
    dlclose(handle_);
    throw PluginLoadError(message);
  }
  const intptr_t answer =
      send(kFMXT_Init, kScriptEngine, reinterpret_cast<uintptr_t>(kHostVersionText));
  if (answer != kAccepted) {
    // A refused plug-in gets no shut-down message: it never started.
    dlclose(handle_);
    throw PluginLoadError("the plug-in refused host version " + std::to_string(hostVersion));
  }
  const std::u16string options = string(kOptionsString);
  wantsIdle_ = enabled(options, kIdleOption);
  wantsSessionShutdown_ = enabled(options, kSessionShutdownOption);
}

LoadedPlugin::~LoadedPlugin() {
  send(kFMXT_Shutdown);
  dlclose(handle_);
}

// Each message gets a structure of its own, as the host's does: the plug-in
// may not keep it past the call.
intptr_t LoadedPlugin::send(uint8_t message, uint8_t parm1, uint64_t parm2, uint64_t parm3,
                            intptr_t result) {
  std::lock_guard guard(sendLock_);
  FMX_ExternCallStruct call{};
  call.extnVersion = static_cast<int16_t>(hostVersion_);
  call.unusedID = -1;
  call.entryPoint = entry_;
  call.whichCall = message;
  call.unsafeCalls = std::this_thread::get_id() != mainThread_;
  call.parm1 = parm1;
  call.parm2 = parm2;
  call.parm3 = parm3;
  call.result = result;
  call.cStartScript = startScript_;
  entry_(&call);
  return call.result;
}

std::u16string LoadedPlugin::string(uint8_t number) {
  std::u16string buffer(kStringRoom, u'\0');
  send(kFMXT_GetString, number, 0, kStringRoom, reinterpret_cast<intptr_t>(buffer.data()));
  // A plug-in that fills the whole buffer leaves no terminator: stop at its end.
  buffer.resize(std::min(buffer.find(u'\0'), buffer.size()));
  return buffer;
}

void LoadedPlugin::idle(uint8_t level, uintptr_t sessionId) {
  if (wantsIdle_) send(kFMXT_Idle, level, sessionId);
}

// The session goes in parm2, where Idle carries it: the published files
// name no field for the session of this message.
void LoadedPlugin::sessionShutdown(uintptr_t sessionId) {
  if (wantsSessionShutdown_) send(kFMXT_SessionShutdown, 0, sessionId);
}

}  // namespace zylo::host
