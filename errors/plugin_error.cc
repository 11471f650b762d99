#include "errors/plugin_error.h"

#include <string>

#include "errors/error_codes.h"
#include "errors/last_error.h"

namespace zylo {

thread_local int32_t g_llasterror = 0;

void zylo_PluginError::clearError() {
  errorID_ = 0;
  sysID_ = 0;
  strError_.reset();
  extendedError_.reset();
}

foundation::String zylo_PluginError::getError() const {
  if (!strError_) return errorID_ == 0 ? u"Success" : u"!!ERROR!!";
  if (!extendedError_) return *strError_;
  return *strError_ + u" " + *extendedError_;
}

foundation::String zylo_PluginError::getErrorNumber() const {
  return foundation::fromUtf8(std::to_string(errorID_));
}

void zylo_PluginError::setError(int32_t code, int32_t sysError,
                                foundation::OptionalString extDesc) {
  clearError();
  errorID_ = code;
  sysID_ = sysError;
  if (extDesc) extendedError_ = std::move(extDesc);
  strError_ = messageForCode(code);
}

}  // namespace zylo
