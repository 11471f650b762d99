#include "plugin/plugin_lock.h"

namespace zylo {

std::recursive_mutex& pluginLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace zylo
