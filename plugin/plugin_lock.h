// The lock behind which the entry point answers the host's messages, one at
// a time: start-up, shutdown and string requests change or read what the
// whole plug-in shares. External functions never take it: each runs in its
// own session (frame/session_scope.h).
#ifndef ZYLO_PLUGIN_PLUGIN_LOCK_H_
#define ZYLO_PLUGIN_PLUGIN_LOCK_H_

#include <mutex>

namespace zylo {

// Recursive, so that a host which answers a message by calling the entry
// point again on the same thread does not deadlock itself.
std::recursive_mutex& pluginLock();

}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLUGIN_LOCK_H_
