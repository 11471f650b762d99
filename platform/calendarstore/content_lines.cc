#include "platform/calendarstore/content_lines.h"

#include <cctype>

namespace calendarstore {
namespace {

constexpr size_t kLineOctets = 75;

std::vector<std::string> unfoldedLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      lines.back() += line.substr(1);
    } else if (!line.empty()) {
      lines.emplace_back(line);
    }
    at = end + 1;
  }
  return lines;
}

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

// The value after "BEGIN:" or "END:", upper-cased, when the line is one.
bool blockLine(const std::string& line, std::string_view keyword, std::string& name) {
  if (line.size() <= keyword.size() || upper(line.substr(0, keyword.size())) != keyword) return false;
  name = upper(line.substr(keyword.size()));
  return true;
}

}  // namespace

std::string propertyName(std::string_view line) { return upper(line.substr(0, line.find_first_of(";:"))); }

std::vector<ContentBlock> contentBlocks(std::string_view text) {
  ContentBlock top;
  std::vector<ContentBlock*> open{&top};
  for (std::string& line : unfoldedLines(text)) {
    std::string name;
    if (blockLine(line, "BEGIN:", name)) {
      open.back()->children.push_back({name, {}, {}});
      open.push_back(&open.back()->children.back());
    } else if (blockLine(line, "END:", name)) {
      if (open.size() > 1) open.pop_back();
    } else {
      open.back()->lines.push_back(std::move(line));
    }
  }
  return std::move(top.children);
}

void appendFolded(std::string& out, std::string_view line) {
  size_t room = kLineOctets;
  while (line.size() > room) {
    size_t cut = room;
    // Back to the first octet of a character.
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    if (cut == 0) cut = room;  // not UTF-8: any cut will do
    out += line.substr(0, cut);
    out += "\r\n ";
    line.remove_prefix(cut);
    room = kLineOctets - 1;
  }
  out += line;
  out += "\r\n";
}

}  // namespace calendarstore
