#include "host/script_state.h"

#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

bool isGlobal(std::u16string_view name) { return name.starts_with(u"$$"); }

}  // namespace

fmxhost::Value ScriptState::variable(std::u16string_view name) const {
  const auto& scope = isGlobal(name) ? globals_ : current().locals;
  auto it = scope.find(foundation::lowercased(name));
  return it == scope.end() ? fmxhost::Value{u""} : it->second;
}

void ScriptState::setVariable(std::u16string_view name, fmxhost::Value value) {
  auto& scope = isGlobal(name) ? globals_ : currentFrame().locals;
  scope[foundation::lowercased(name)] = std::move(value);
}

}  // namespace zylo::host
