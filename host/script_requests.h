// Where the plug-in's requests to run a script arrive. Like FileMaker, the
// host never runs a script inside the plug-in's call: it queues the request
// and runs it when its run loop is idle.
#ifndef ZYLO_HOST_SCRIPT_REQUESTS_H_
#define ZYLO_HOST_SCRIPT_REQUESTS_H_

#include <string>
#include <vector>

#include "host/script_runner.h"
#include "platform/fmx/fmx_abi.h"
#include "platform/fmx/host/host_api.h"

namespace zylo::host {

struct ScriptRequest {
  std::u16string fileName, scriptName;
  fmxhost::Value parameter;
};

// The host's answers to a request, FileMaker's codes.
inline constexpr int16_t kScriptQueued = 0;
inline constexpr int16_t kFileMissing = 100;
inline constexpr int16_t kScriptMissing = 104;

// The host's FMX_StartScriptCall: queues the request when a loaded file
// holds the script, else answers why not.
int16_t startScript(const FM_Text* fileName, const FM_Text* scriptName, uint8_t control,
                    const FM_Data* parameter);

// The files whose scripts requests may name; none until set.
void setScriptLibrary(const ScriptLibrary* library);
// The queued requests, oldest first, taken off the queue.
std::vector<ScriptRequest> takeScriptRequests();

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_REQUESTS_H_
