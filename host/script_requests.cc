#include "host/script_requests.h"

#include <utility>

namespace zylo::host {
namespace {

// The host's calculation thread is the only one that calls in here.
struct Requests {
  const ScriptLibrary* library = nullptr;
  std::vector<ScriptRequest> queued;
};

Requests& requests() {
  static Requests r;
  return r;
}

}  // namespace

int16_t startScript(const FM_Text* fileName, const FM_Text* scriptName, uint8_t,
                    const FM_Data* parameter) {
  ScriptRequest request{fmxhost::textOf(fileName), fmxhost::textOf(scriptName), fmxhost::valueOf(parameter)};
  const ScriptFile* file = requests().library ? requests().library->find(request.fileName) : nullptr;
  if (!file) return kFileMissing;
  if (!file->find(request.scriptName)) return kScriptMissing;
  requests().queued.push_back(std::move(request));
  return kScriptQueued;
}

void setScriptLibrary(const ScriptLibrary* library) { requests().library = library; }

std::vector<ScriptRequest> takeScriptRequests() { return std::exchange(requests().queued, {}); }

}  // namespace zylo::host
