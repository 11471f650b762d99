// How a session prints: the values of Show steps on standard output and the
// host's messages on standard error. Each value or message goes out whole,
// under a lock the sessions share, so sessions printing at once never mix
// within a line. In a run of several sessions every line names its session:
// a plain line starts with "[ID] ", a JSON object has "session":ID first.
#ifndef ZYLO_HOST_SESSION_OUTPUT_H_
#define ZYLO_HOST_SESSION_OUTPUT_H_

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

// The streams every session of a run prints to.
struct SharedStreams {
  std::ostream& out;
  std::ostream& err;
  std::mutex lock;  // held while one value or message is written
};

// Thread-safe.
class SessionOutput {
 public:
  // `markedSession` 0: the run's only session, whose lines are not marked.
  SessionOutput(SharedStreams& streams, bool json, uintptr_t markedSession)
      : streams_(streams), json_(json), marked_(markedSession) {}

  // A Show step's value as eval prints it, a carriage return inside a text
  // starting a new line.
  void show(const fmxhost::Value& value) const;
  // "zylo-host: MESSAGE" on standard error.
  void report(std::string_view message) const;

 private:
  std::string mark() const;
  void write(std::ostream& stream, std::string_view lines, const std::string& mark) const;

  SharedStreams& streams_;
  bool json_;
  uintptr_t marked_;
};

}  // namespace zylo::host

#endif  // ZYLO_HOST_SESSION_OUTPUT_H_
