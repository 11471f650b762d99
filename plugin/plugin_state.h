// The plug-in's process-wide state, set up by the entry point.
#ifndef ZYLO_PLUGIN_PLUGIN_STATE_H_
#define ZYLO_PLUGIN_PLUGIN_STATE_H_

#include <memory>

#include "calendar/ical_functions.h"
#include "platform/fmx/fmx_abi.h"

// True when the operating system is too new for the calendar context; every
// function that needs the context then answers 9015.
extern "C" FMX_API bool g_bUseEK;

namespace zylo {

// The structure of the most recent call into the entry point.
extern FMX_ExternCallStruct* gFMX_ExternCallPtr;
// The shared calendar context; null on an unsupported system.
extern std::shared_ptr<iCalFunctions> g_sharedFunctions;

}  // namespace zylo

#endif  // ZYLO_PLUGIN_PLUGIN_STATE_H_
