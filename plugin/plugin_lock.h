// The one lock behind which the plug-in runs every call from the host: the
// server calls external functions and the entry point from several threads,
// and the calendar context, the error records and the host values the
// plug-in keeps are shared by all of them.
#ifndef ZYLO_PLUGIN_PLUGIN_LOCK_H_
#define ZYLO_PLUGIN_PLUGIN_LOCK_H_

#include <mutex>

namespace zylo {

// Recursive, so that a host which runs a script inside the plug-in's call to
// start it (and that script calls the plug-in) does not deadlock itself.
std::recursive_mutex& pluginLock();

}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLUGIN_LOCK_H_
