#include "platform/calendarstore/calendar_folder.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace calendarstore {
namespace {

// Metadata files are a line or a paragraph; anything larger is not ours.
constexpr std::streamsize kMaxMetadataBytes = 64 * 1024;

std::optional<std::string> contentsOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kMaxMetadataBytes, '\0');
  in.read(text.data(), kMaxMetadataBytes);
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find_first_of("\r\n"));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  return line;
}

std::string withoutTrailingNewlines(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

CalendarInfo readCalendarInfo(const std::filesystem::path& folder) {
  CalendarInfo info;
  info.folderName = folder.filename().string();
  const std::string title = firstLine(contentsOf(folder / "displayname").value_or(""));
  info.title = foundation::fromUtf8(title.empty() ? info.folderName : title);
  if (auto color = contentsOf(folder / "color")) info.color = foundation::Color::fromHex(firstLine(*color));
  if (auto notes = contentsOf(folder / "description")) {
    std::string text = withoutTrailingNewlines(*notes);
    if (!text.empty()) info.notes = foundation::fromUtf8(text);
  }
  info.isEditable = ::access(folder.c_str(), W_OK) == 0;
  return info;
}

bool isCalendarFolderName(const std::string& name) { return !name.empty() && name[0] != '.'; }

bool isItemFileName(const std::string& name) {
  return name.size() > 4 && name[0] != '.' && name.ends_with(".ics");
}

}  // namespace calendarstore
