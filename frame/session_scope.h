// One external function call's hold on its session: finds the session that
// the call's environment names, runs the call alone in that session, and
// carries the session's last-error code into the calling thread's
// g_llasterror for the length of the call and back into the session after.
#ifndef ZYLO_FRAME_SESSION_SCOPE_H_
#define ZYLO_FRAME_SESSION_SCOPE_H_

#include <cstdint>
#include <memory>
#include <mutex>

#include "frame/session.h"
#include "platform/fmx/fmx_abi.h"

namespace zylo {

class SessionScope {
 public:
  // Throws when the plug-in is not started or the host cannot name the
  // session.
  explicit SessionScope(const FM_ExprEnv* environment);
  ~SessionScope();
  SessionScope(const SessionScope&) = delete;
  SessionScope& operator=(const SessionScope&) = delete;

  Session& session() const { return *session_; }

 private:
  std::shared_ptr<Session> session_;
  std::unique_lock<std::recursive_mutex> call_;
  // The code of a call of this thread that this one runs inside (a script
  // the host runs within a call), given back at the end.
  int32_t outerCode_;
};

}  // namespace zylo

#endif  // ZYLO_FRAME_SESSION_SCOPE_H_
