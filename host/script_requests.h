// Where the plug-in's requests to run a script arrive.
#ifndef ZYLO_HOST_SCRIPT_REQUESTS_H_
#define ZYLO_HOST_SCRIPT_REQUESTS_H_

#include "platform/fmx/fmx_abi.h"

namespace zylo::host {

// The host's FMX_StartScriptCall. This host has no scripts to run yet: it
// accepts each request (0) and drops it.
int16_t startScript(const FM_Text* fileName, const FM_Text* scriptName, uint8_t control,
                    const FM_Data* parameter);

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_REQUESTS_H_
