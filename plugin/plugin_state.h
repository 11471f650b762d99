// The plug-in's process-wide state, set up by the entry point.
#ifndef ZYLO_PLUGIN_PLUGIN_STATE_H_
#define ZYLO_PLUGIN_PLUGIN_STATE_H_

#include <atomic>
#include <memory>

#include "frame/session_table.h"
#include "platform/fmx/fmx_abi.h"

extern "C" {
// True when the operating system is too new for the calendar context; every
// function that needs the context then answers 9015.
FMX_API extern bool g_bUseEK;
// The structure of the most recent call into the entry point. The host's
// structure lives only during that call: nothing reads it afterwards.
FMX_API extern FMX_ExternCallStruct* gFMX_ExternCallPtr;
}

namespace zylo {

// The host's script-start callback, copied from the most recent call into
// the entry point.
extern std::atomic<FMX_StartScriptCall> g_startScript;
// The host's sessions, each with its own calendar context (none on an
// unsupported system) and error records. Made at start-up, before the host
// can call any function, and kept while the plug-in is loaded.
extern std::shared_ptr<SessionTable> g_sessions;

}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLUGIN_STATE_H_
