#include "plugin/function_registry.h"

#include "platform/fmx/fmx.h"
#include "plugin/function_table.h"
#include "plugin/string_resources.h"

namespace zylo {
namespace {

fmx::QuadChar pluginId() { return fmx::QuadChar(kPluginId[0], kPluginId[1], kPluginId[2], kPluginId[3]); }

}  // namespace

void registerExternalFunctions() {
  fmx::QuadChar id = pluginId();
  fmx::Text name;
  fmx::Text prototype;
  for (const FunctionEntry& entry : functionTable()) {
    Do_GetString(static_cast<uint32_t>(entry.id), name, true);
    Do_GetString(static_cast<uint32_t>(entry.id), prototype, false);
    fmx::registerExternalFunction(id, entry.id, name, prototype, entry.minArgs, entry.maxArgs,
                                  kFunctionFlags, entry.function);
  }
}

void unregisterExternalFunctions() {
  fmx::QuadChar id = pluginId();
  for (int16_t functionId = kFirstFunctionId; functionId <= kLastFunctionId; ++functionId) {
    try {
      fmx::unRegisterExternalFunction(id, functionId);
    } catch (...) {
      // One id the host failed on keeps none of the others registered.
    }
  }
}

}  // namespace zylo
