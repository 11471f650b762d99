#include "frame/session_scope.h"

#include <stdexcept>

#include "errors/last_error.h"
#include "platform/fmx/fmx.h"
#include "plugin/plugin_state.h"

namespace zylo {
namespace {

std::shared_ptr<Session> sessionOf(const FM_ExprEnv* environment) {
  if (!g_sessions) throw std::logic_error("the plug-in is not started");
  return g_sessions->sessionFor(fmx::sessionIdOf(environment));
}

}  // namespace

SessionScope::SessionScope(const FM_ExprEnv* environment)
    : session_(sessionOf(environment)), call_(session_->callLock()), outerCode_(g_llasterror) {
  g_llasterror = session_->lastErrorCode();
}

SessionScope::~SessionScope() {
  session_->setLastErrorCode(g_llasterror);
  g_llasterror = outerCode_;
}

}  // namespace zylo
