// The error object: the code and message of the last failed external
// function, which the last-error function reports.
#ifndef ZYLO_ERRORS_PLUGIN_ERROR_H_
#define ZYLO_ERRORS_PLUGIN_ERROR_H_

#include <cstdint>
#include <memory>

#include "platform/foundation/string.h"

namespace zylo {

// Not thread-safe: each session keeps its own (frame/session.h).
class zylo_PluginError {
 public:
  void clearError();
  foundation::String getError() const;
  foundation::String getErrorNumber() const;
  // Clears the object, then records the code, its fixed message and the
  // description when one is given.
  void setError(int32_t code, int32_t sysError, foundation::OptionalString extDesc);

  int32_t errorID() const { return errorID_; }
  int32_t sysID() const { return sysID_; }

 private:
  int32_t errorID_ = 0;
  int32_t sysID_ = 0;
  foundation::OptionalString strError_;
  foundation::OptionalString extendedError_;
};

}  // namespace zylo

#endif  // ZYLO_ERRORS_PLUGIN_ERROR_H_
