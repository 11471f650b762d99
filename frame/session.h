// What one session of the host keeps from one call to the next: its
// calendar context and its error records. A server runs many sessions
// (clients, schedules, web and data API sessions) at once on several
// threads; each sees only its own current items and its own last error.
#ifndef ZYLO_FRAME_SESSION_H_
#define ZYLO_FRAME_SESSION_H_

#include <cstdint>
#include <memory>
#include <mutex>

#include "calendar/ical_functions.h"
#include "errors/plugin_error.h"

namespace zylo {

class Session : public std::enable_shared_from_this<Session> {
 public:
  // `context` is null on a system too new for the calendar context.
  explicit Session(std::unique_ptr<iCalFunctions> context) : context_(std::move(context)) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // REQUIRES: callLock() is held.
  iCalFunctions* context() const { return context_.get(); }

  // Held for the length of each call: a session's calls run one at a time,
  // as the host makes them; other sessions' calls are not held.
  std::recursive_mutex& callLock() { return callLock_; }

  // The error object and the last-error code as the session's previous call
  // left them. Thread-safe: the update script's start, on the host's Idle,
  // reports its failure here while the session may be in a call.
  void clearError();
  void setError(int32_t code, int32_t sysError, foundation::OptionalString extDesc);
  foundation::String errorText() const;
  int32_t lastErrorCode() const;
  void setLastErrorCode(int32_t code);

 private:
  const std::unique_ptr<iCalFunctions> context_;
  // Recursive: a host may run a script, and so a call of the same session,
  // within a call on the same thread.
  std::recursive_mutex callLock_;
  mutable std::mutex errorLock_;
  zylo_PluginError error_;      // guarded by errorLock_
  int32_t lastErrorCode_ = 0;   // guarded by errorLock_
};

}  // namespace zylo

#endif  // ZYLO_FRAME_SESSION_H_
