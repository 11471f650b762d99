#include "host/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>

namespace zylo::host {
namespace {

constexpr intptr_t kAccepted = 53;
constexpr int32_t kStringCapacity = 4096;

std::string dlMessage() {
  const char* message = dlerror();
  return message ? message : "unknown error";
}

}  // namespace

LoadedPlugin::LoadedPlugin(const std::filesystem::path& bundle, uint16_t hostVersion,
                           FMX_StartScriptCall startScript)
    : bundlePath_(std::filesystem::absolute(bundle).string()),
      call_(std::make_unique<FMX_ExternCallStruct>()) {
  std::filesystem::path folder = bundle.has_filename() ? bundle : bundle.parent_path();
  std::filesystem::path object = folder / folder.filename().replace_extension(".so");
  handle_ = dlopen(object.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw PluginLoadError("cannot load the plug-in bundle: " + dlMessage());
  entry_ = reinterpret_cast<FMX_ExternCallProcPtr>(dlsym(handle_, "FMExternCallProc"));
  if (!entry_) {
    std::string message = "the plug-in has no entry point: " + dlMessage();
    dlclose(handle_);
    throw PluginLoadError(message);
  }
  call_->extnVersion = hostVersion;
  call_->bundlePath = bundlePath_.c_str();
  call_->cStartScript = startScript;
  send(kFMXT_Init);
  if (call_->result != kAccepted) {
    // A refused plug-in gets no shut-down message: it never started.
    dlclose(handle_);
    throw PluginLoadError("the plug-in refused host version " + std::to_string(hostVersion));
  }
}

LoadedPlugin::~LoadedPlugin() {
  send(kFMXT_Shutdown);
  dlclose(handle_);
}

void LoadedPlugin::send(uint8_t message) {
  call_->whichCall = message;
  call_->parm1 = call_->parm2 = 0;
  call_->parm3 = 0;
  call_->result = 0;
  entry_(call_.get());
}

std::u16string LoadedPlugin::string(uint32_t number) {
  std::u16string buffer(kStringCapacity, u'\0');
  call_->whichCall = kFMXT_GetString;
  call_->parm1 = number;
  call_->parm2 = 0;
  call_->parm3 = kStringCapacity;
  call_->result = reinterpret_cast<intptr_t>(buffer.data());
  entry_(call_.get());
  // A plug-in that fills the whole buffer leaves no terminator: stop at its end.
  buffer.resize(std::min(buffer.find(u'\0'), buffer.size()));
  return buffer;
}

}  // namespace zylo::host
