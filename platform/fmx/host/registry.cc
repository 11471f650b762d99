// The host's table of registered external functions, and calling them.
#include <algorithm>

#include "platform/fmx/host/handles.h"
#include "platform/foundation/string.h"

using fmxhost::checked;
using fmxhost::guarded;

namespace fmxhost {
namespace {

struct Registry {
  std::vector<Function> functions;
  std::vector<int16_t> unregistrationCalls;
};

Registry& registry() {
  static Registry r;
  return r;
}

std::string pluginIdOf(const FM_QuadChar& id) { return std::string(id.chars, 4); }

bool sameFunction(const Function& f, const std::string& pluginId, int16_t id) {
  return f.pluginId == pluginId && f.id == id;
}

}  // namespace

const std::vector<Function>& registeredFunctions() { return registry().functions; }

const std::vector<int16_t>& unregistrationCalls() { return registry().unregistrationCalls; }

void resetRegistry() { registry() = Registry{}; }

const Function* findFunction(std::u16string_view name) {
  const auto& functions = registry().functions;
  auto it = std::find_if(functions.begin(), functions.end(), [&](const Function& f) {
    return foundation::equalsIgnoringCase(f.name, name);
  });
  return it == functions.end() ? nullptr : &*it;
}

CallOutcome callFunction(const Function& function, const std::vector<Value>& params, uintptr_t sessionId) {
  FM_DataVect vector;
  for (const Value& v : params) vector.parameters.push_back(makeParameter(v));
  FM_Data result;
  const FM_ExprEnv environment{sessionId};
  const FMX_Err hostError = function.call(function.id, &environment, &vector, &result);
  return {hostError, result.value};
}

}  // namespace fmxhost

extern "C" {

FMX_Err FM_ExprEnv_RegisterExternalFunction(const FM_QuadChar* pluginId, int16_t functionId,
                                            const FM_Text* name, const FM_Text* prototype,
                                            int16_t minArgs, int16_t maxArgs, uint32_t flags,
                                            FMX_ExternCallPtr function, FMX_ErrorBlock* err) {
  return guarded(__func__, err, FMX_Err{kFMX_Failure}, [&] {
    if (function == nullptr || checked(name).units.empty()) return FMX_Err{kFMX_Failure};
    fmxhost::Function f{fmxhost::pluginIdOf(checked(pluginId)), functionId, name->units,
                        checked(prototype).units, minArgs, maxArgs, flags, function};
    auto& functions = fmxhost::registry().functions;
    auto it = std::find_if(functions.begin(), functions.end(), [&](const fmxhost::Function& g) {
      return fmxhost::sameFunction(g, f.pluginId, functionId);
    });
    if (it != functions.end()) {
      *it = std::move(f);
    } else {
      functions.push_back(std::move(f));
    }
    return FMX_Err{kFMX_NoError};
  });
}

FMX_Err FM_ExprEnv_UnRegisterExternalFunction(const FM_QuadChar* pluginId, int16_t functionId,
                                              FMX_ErrorBlock* err) {
  return guarded(__func__, err, FMX_Err{kFMX_Failure}, [&] {
    const std::string id = fmxhost::pluginIdOf(checked(pluginId));
    fmxhost::registry().unregistrationCalls.push_back(functionId);
    const size_t removed = std::erase_if(fmxhost::registry().functions, [&](const fmxhost::Function& f) {
      return fmxhost::sameFunction(f, id, functionId);
    });
    return removed > 0 ? FMX_Err{kFMX_NoError} : FMX_Err{kFMX_Failure};
  });
}

uintptr_t FM_ExprEnv_SessionID(const FM_ExprEnv* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, uintptr_t{0}, [&] { return checked(self).sessionId; });
}

}  // extern "C"
