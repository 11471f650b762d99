#include "frame/session_table.h"

namespace zylo {

std::shared_ptr<Session> SessionTable::sessionFor(uintptr_t id) {
  std::lock_guard guard(lock_);
  std::shared_ptr<Session>& session = sessions_[id];
  if (!session) {
    session = std::make_shared<Session>(withContexts_ ? std::make_unique<iCalFunctions>(environment_) : nullptr);
  }
  return session;
}

void SessionTable::endSession(uintptr_t id) {
  std::shared_ptr<Session> ended;  // released after the lock
  std::lock_guard guard(lock_);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return;
  ended = std::move(it->second);
  sessions_.erase(it);
}

}  // namespace zylo
