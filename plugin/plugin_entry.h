// The entry point the host looks up in the plug-in, and the start-up routine.
#ifndef ZYLO_PLUGIN_PLUGIN_ENTRY_H_
#define ZYLO_PLUGIN_PLUGIN_ENTRY_H_

#include "platform/fmx/fmx_abi.h"

extern "C" {
// Answers the host's messages, one at a time behind the plug-in's lock:
// start-up (Init) registers the functions and answers 53, or -1 for a host
// extension version outside 50..255 or a start-up that failed; Idle starts
// the update scripts of the notices queued since, unless the host says that
// is unsafe; shutdown unregisters the
// functions; a string request fills the host's buffer; session and file
// shutdown leave nothing to do, as the plug-in keeps no state per session
// or file. Every other message is ignored. Nothing is thrown.
FMX_API void FMExternCallProc(FMX_ExternCallStruct* call);
// True when the operating-system version query succeeds and answers a minor
// version above 8.
FMX_API bool UseEKImplementation();
}

namespace zylo {
// Decides whether the calendar context can be used here, creates it and the
// error object.
void Do_PluginInit();
}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLUGIN_ENTRY_H_
