// The host's sessions, by the id the host gives each call's environment.
// A session is made by its first call and ends with the host's
// session-shutdown message.
//
// Thread-safe.
#ifndef ZYLO_FRAME_SESSION_TABLE_H_
#define ZYLO_FRAME_SESSION_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "calendar/ical_functions.h"
#include "frame/session.h"

namespace zylo {

class SessionTable {
 public:
  // Sessions get a calendar context reaching the store through `environment`,
  // or none when `withContexts` is false (a system too new for it).
  SessionTable(ContextEnvironment environment, bool withContexts)
      : environment_(std::move(environment)), withContexts_(withContexts) {}

  // The session with this id, made on first use.
  std::shared_ptr<Session> sessionFor(uintptr_t id);
  // Forgets the session; a call of it still running keeps it until it ends.
  void endSession(uintptr_t id);
  bool withContexts() const { return withContexts_; }

 private:
  const ContextEnvironment environment_;
  const bool withContexts_;
  std::mutex lock_;
  std::map<uintptr_t, std::shared_ptr<Session>> sessions_;  // guarded by lock_
};

}  // namespace zylo

#endif  // ZYLO_FRAME_SESSION_TABLE_H_
