// The entry point the host looks up in the bundle, and the start-up routine.
#ifndef ZYLO_PLUGIN_PLUGIN_ENTRY_H_
#define ZYLO_PLUGIN_PLUGIN_ENTRY_H_

#include "platform/fmx/fmx_abi.h"

extern "C" {
// Answers the host's lifecycle messages: start-up (0) registers the
// functions and answers 53, or -1 for a host extension version outside
// 50..255; shutdown (4) unregisters them; a string request (7) fills the
// host's buffer. Every other message is ignored. Nothing is thrown.
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
