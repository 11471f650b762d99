// What a calculation sees of the script that runs it: $variables of the
// running script, $$variables of the whole run, the script's parameter, the
// result of the last script it performed, and the names Get reports.
#ifndef ZYLO_HOST_SCRIPT_STATE_H_
#define ZYLO_HOST_SCRIPT_STATE_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

class ScriptState {
 public:
  struct Frame {
    std::u16string fileName, scriptName;
    fmxhost::Value parameter;
    std::map<std::u16string, fmxhost::Value> locals;  // by lower-cased name
  };

  // Variable names ignore letter case, as FileMaker's do; one never set is
  // empty text.
  fmxhost::Value variable(std::u16string_view name) const;
  void setVariable(std::u16string_view name, fmxhost::Value value);

  void enter(Frame frame) { frames_.push_back(std::move(frame)); }
  void leave() { frames_.pop_back(); }
  size_t depth() const { return frames_.size(); }
  // The running script's frame; outside any script, a frame of its own.
  const Frame& current() const { return frames_.empty() ? outside_ : frames_.back(); }

  fmxhost::Value scriptResult;  // what the last performed script exited with

 private:
  Frame& currentFrame() { return frames_.empty() ? outside_ : frames_.back(); }

  std::map<std::u16string, fmxhost::Value> globals_;
  std::vector<Frame> frames_;
  Frame outside_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_SCRIPT_STATE_H_
