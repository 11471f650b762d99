// The external functions the plug-in offers, in registration order.
#ifndef ZYLO_PLUGIN_FUNCTION_TABLE_H_
#define ZYLO_PLUGIN_FUNCTION_TABLE_H_

#include <cstdint>
#include <span>

#include "platform/fmx/fmx_abi.h"

namespace zylo {

struct FunctionEntry {
  int16_t id;  // also the number of its prototype in the string table
  FMX_ExternCallPtr function;
  int16_t minArgs, maxArgs;
};

std::span<const FunctionEntry> functionTable();

// Every function is registered with these.
inline constexpr char kPluginId[] = "Zylo";
inline constexpr uint32_t kFunctionFlags = 0xFF01;
// Shutdown unregisters this whole range, registered or not.
inline constexpr int16_t kFirstFunctionId = 148;
inline constexpr int16_t kLastFunctionId = 169;

}  // namespace zylo

#endif  // ZYLO_PLUGIN_FUNCTION_TABLE_H_
