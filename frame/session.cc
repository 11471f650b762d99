#include "frame/session.h"

namespace zylo {

void Session::clearError() {
  std::lock_guard guard(errorLock_);
  error_.clearError();
  lastErrorCode_ = 0;
}

void Session::setError(int32_t code, int32_t sysError, foundation::OptionalString extDesc) {
  std::lock_guard guard(errorLock_);
  error_.setError(code, sysError, std::move(extDesc));
}

foundation::String Session::errorText() const {
  std::lock_guard guard(errorLock_);
  return error_.getError();
}

int32_t Session::lastErrorCode() const {
  std::lock_guard guard(errorLock_);
  return lastErrorCode_;
}

void Session::setLastErrorCode(int32_t code) {
  std::lock_guard guard(errorLock_);
  lastErrorCode_ = code;
}

}  // namespace zylo
