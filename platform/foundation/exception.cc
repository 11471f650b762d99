#include "platform/foundation/exception.h"

namespace foundation {

Exception::Exception(String name, String reason)
    : std::runtime_error(toUtf8(reason)), name_(std::move(name)), reason_(std::move(reason)) {}

}  // namespace foundation
