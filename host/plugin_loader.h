// A plug-in file (NAME.fmx, an ELF shared object) loaded into this process
// as the server loads it: opened, its entry point sent the start-up message
// in the host's call structure, Idle whenever a session's loop turns, the
// session shut-down message when a session ends, and at the end the
// shut-down message.
//
// Thread-safe: the host sends one message at a time. The thread that loads
// the plug-in is the host's main thread; a message sent from any other
// carries the unsafe-calls flag.
#ifndef ZYLO_HOST_PLUGIN_LOADER_H_
#define ZYLO_HOST_PLUGIN_LOADER_H_

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/fmx/fmx_abi.h"

namespace zylo::host {

// The plug-in could not be opened, or it refused to start.
class PluginLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LoadedPlugin {
 public:
  // Opens the plug-in file and starts it, announcing `hostVersion`; the
  // plug-in asks to run scripts through `startScript`. Throws
  // PluginLoadError.
  LoadedPlugin(const std::filesystem::path& file, uint16_t hostVersion,
               FMX_StartScriptCall startScript);
  // Shuts the plug-in down and closes it.
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  // One of the plug-in's strings (name 128, description 129, options 131);
  // empty when it has none.
  std::u16string string(uint8_t number);
  // Tells the plug-in that session `sessionId` is idle at `level`
  // (kFMXT_UserIdle, kFMXT_ScriptPaused, ...): its chance to start the
  // scripts it has been asked for. Not sent when the plug-in's options
  // decline Idle.
  void idle(uint8_t level, uintptr_t sessionId);
  // Tells the plug-in that session `sessionId` has ended. Not sent when its
  // options decline session and file shut-downs.
  void sessionShutdown(uintptr_t sessionId);

 private:
  intptr_t send(uint8_t message, uint8_t parm1 = 0, uint64_t parm2 = 0, uint64_t parm3 = 0,
            intptr_t result = 0);

  void* handle_ = nullptr;
  FMX_ExternCallProcPtr entry_ = nullptr;
  FMX_StartScriptCall startScript_;
  uint16_t hostVersion_;
  const std::thread::id mainThread_ = std::this_thread::get_id();
  std::mutex sendLock_;  // held for each message
  // What the plug-in's options string (131) asks for; set at start-up.
  bool wantsIdle_ = true, wantsSessionShutdown_ = true;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_PLUGIN_LOADER_H_
