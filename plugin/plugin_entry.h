// The entry point the host looks up in the plug-in, and the start-up routine.
#ifndef ZYLO_PLUGIN_PLUGIN_ENTRY_H_
#define ZYLO_PLUGIN_PLUGIN_ENTRY_H_

#include "platform/fmx/fmx_abi.h"

extern "C" {
// Answers the host's messages, one at a time behind the plug-in's lock:
// start-up (Init) registers the functions and answers 53, or -1 for a host
// extension version outside 50..255 or a start-up that failed; Idle starts
// the update scripts of the changes queued since, after releasing the lock
// and unless the host says calls back are unsafe; shutdown unregisters the
// functions; a string request fills the host's buffer; session shutdown
// lets that session's state go. Every other message is ignored. Nothing is
// thrown.
FMX_API void FMExternCallProc(FMX_ExternCallStruct* call);
// True when the operating-system version query succeeds and answers a minor
// version above 8.
FMX_API bool UseEKImplementation();
}

namespace zylo {
// Decides whether the calendar context can be used here, and makes the
// table of sessions, each of which gets its own context and error records.
void Do_PluginInit();
}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLUGIN_ENTRY_H_
