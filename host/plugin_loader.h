// A plug-in bundle loaded into this process: its shared object opened, its
// entry point sent the start-up message, and at the end the shut-down one.
#ifndef ZYLO_HOST_PLUGIN_LOADER_H_
#define ZYLO_HOST_PLUGIN_LOADER_H_

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/fmx/fmx_abi.h"

namespace zylo::host {

// The bundle could not be opened, or its plug-in refused to start.
class PluginLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LoadedPlugin {
 public:
  // Opens <bundle>/<name>.so for a bundle folder <name>.fmplugin and starts
  // the plug-in, announcing `hostVersion`; the plug-in asks to run scripts
  // through `startScript`. Throws PluginLoadError.
  LoadedPlugin(const std::filesystem::path& bundle, uint16_t hostVersion,
               FMX_StartScriptCall startScript);
  // Shuts the plug-in down and closes it.
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  // One of the plug-in's strings (name 128, description 129, options 131);
  // empty when it has none.
  std::u16string string(uint32_t number);

 private:
  void send(uint8_t message);

  std::string bundlePath_;
  void* handle_ = nullptr;
  FMX_ExternCallProcPtr entry_ = nullptr;
  // The plug-in keeps a pointer to the last message it was sent, so the one
  // message structure lives as long as the plug-in is loaded.
  std::unique_ptr<FMX_ExternCallStruct> call_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_PLUGIN_LOADER_H_
