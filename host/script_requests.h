// Where the plug-in's requests to run a script arrive. Like FileMaker, the
// host never runs a script inside the plug-in's call: it queues the request
// in the queue of the session the call belongs to, and that session runs it
// when its run loop is idle.
#ifndef ZYLO_HOST_SCRIPT_REQUESTS_H_
#define ZYLO_HOST_SCRIPT_REQUESTS_H_

#include <mutex>
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

// One session's requests. Thread-safe: the plug-in may ask on any thread
// (its own call on the session's thread, or the session's Idle on the
// host's main thread); the session's thread takes them.
class ScriptRequestQueue {
 public:
  // Requests may name the scripts of `library`, which outlives the queue.
  explicit ScriptRequestQueue(const ScriptLibrary& library) : library_(library) {}

  // Queues the request when a file of the library holds the script, else
  // answers why not.
  int16_t add(ScriptRequest request);
  // The queued requests, oldest first, taken off the queue.
  std::vector<ScriptRequest> take();

 private:
  const ScriptLibrary& library_;
  std::mutex lock_;
  std::vector<ScriptRequest> queued_;  // guarded by lock_
};

// While one lives, the requests the plug-in makes on the calling thread go
// to `queue` (null: they are refused, as when no file is loaded). A session's
// thread points at its own queue; the main thread points at a session's
// while it sends that session's Idle. The one made last wins until it goes.
class RequestsGoTo {
 public:
  explicit RequestsGoTo(ScriptRequestQueue* queue);
  ~RequestsGoTo();
  RequestsGoTo(const RequestsGoTo&) = delete;
  RequestsGoTo& operator=(const RequestsGoTo&) = delete;

 private:
  ScriptRequestQueue* previous_;
};

// The host's FMX_StartScriptCall: queues the request in the calling
// thread's queue, else answers why not.
int16_t startScript(const FM_Text* fileName, const FM_Text* scriptName, uint8_t control,
                    const FM_Data* parameter);

// The calling thread's queued requests, taken off its queue.
std::vector<ScriptRequest> takeScriptRequests();

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_REQUESTS_H_
