#include "host/script_requests.h"

#include <utility>

namespace zylo::host {
namespace {

thread_local ScriptRequestQueue* currentQueue = nullptr;

}  // namespace

int16_t ScriptRequestQueue::add(ScriptRequest request) {
  const ScriptFile* file = library_.find(request.fileName);
  if (!file) return kFileMissing;
  if (!file->find(request.scriptName)) return kScriptMissing;
  std::lock_guard guard(lock_);
  queued_.push_back(std::move(request));
  return kScriptQueued;
}

std::vector<ScriptRequest> ScriptRequestQueue::take() {
  std::lock_guard guard(lock_);
  return std::exchange(queued_, {});
}

RequestsGoTo::RequestsGoTo(ScriptRequestQueue* queue) : previous_(std::exchange(currentQueue, queue)) {}

RequestsGoTo::~RequestsGoTo() { currentQueue = previous_; }

int16_t startScript(const FM_Text* fileName, const FM_Text* scriptName, uint8_t,
                    const FM_Data* parameter) {
  if (!currentQueue) return kFileMissing;
  return currentQueue->add({fmxhost::textOf(fileName), fmxhost::textOf(scriptName), fmxhost::valueOf(parameter)});
}

std::vector<ScriptRequest> takeScriptRequests() {
  return currentQueue ? currentQueue->take() : std::vector<ScriptRequest>{};
}

}  // namespace zylo::host
