// A plug-in file (NAME.fmx, an ELF shared object) loaded into this process
// as the server loads it: opened, its entry point sent the start-up message
// in the host's call structure, Idle whenever the host's loop turns, and at
// the end the shut-down message.
#ifndef ZYLO_HOST_PLUGIN_LOADER_H_
#define ZYLO_HOST_PLUGIN_LOADER_H_

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

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
  // Tells the plug-in the host is idle (the user is idle): its chance to
  // start the scripts it has been asked for.
  void idle();

 private:
  intptr_t send(uint8_t message, uint8_t parm1 = 0, uint64_t parm2 = 0, uint64_t parm3 = 0,
            intptr_t result = 0);

  void* handle_ = nullptr;
  FMX_ExternCallProcPtr entry_ = nullptr;
  FMX_StartScriptCall startScript_;
  uint16_t hostVersion_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_PLUGIN_LOADER_H_
