// An exception with a name and a reason, the platform's kind of failure.
#ifndef ZYLO_PLATFORM_FOUNDATION_EXCEPTION_H_
#define ZYLO_PLATFORM_FOUNDATION_EXCEPTION_H_

#include <stdexcept>
#include <string>

#include "platform/foundation/string.h"

namespace foundation {

class Exception : public std::runtime_error {
 public:
  Exception(String name, String reason);
  const String& name() const { return name_; }
  const String& reason() const { return reason_; }

 private:
  String name_;
  String reason_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_EXCEPTION_H_
