#include "host/session_output.h"

#include <algorithm>

#include "host/value_format.h"

namespace zylo::host {

void SessionOutput::show(const fmxhost::Value& value) const {
  if (json_) {
    std::string object = json(value);
    if (marked_ != 0) object.insert(1, "\"session\":" + std::to_string(marked_) + ",");
    write(streams_.out, object, "");
    return;
  }
  std::string lines = plainText(value);
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  write(streams_.out, lines, mark());
}

void SessionOutput::report(std::string_view message) const {
  write(streams_.err, "zylo-host: " + std::string(message), mark());
}

std::string SessionOutput::mark() const {
  return marked_ != 0 ? "[" + std::to_string(marked_) + "] " : "";
}

// Every line behind `mark`, all of them in one go.
void SessionOutput::write(std::ostream& stream, std::string_view lines, const std::string& mark) const {
  std::string text;
  for (size_t start = 0;;) {
    const size_t end = lines.find('\n', start);
    text += mark;
    text += lines.substr(start, end == std::string_view::npos ? end : end - start);
    text += '\n';
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::lock_guard guard(streams_.lock);
  stream << text << std::flush;
}

}  // namespace zylo::host
