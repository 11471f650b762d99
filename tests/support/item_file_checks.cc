#include "tests/support/item_file_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace zylo::testing {
namespace {

// A VTIMEZONE whose TZID's earliest time is this year or later holds no
// more than this: the changes from that time on, not the zone's history.
constexpr int kRecentYear = 1990;
constexpr size_t kZoneOctets = 1536;

bool validUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = s[i];
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

// The physical lines, after checking their ends.
std::vector<std::string> physicalLines(std::string_view bytes, std::vector<std::string>& faults) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t end = bytes.find("\r\n", at);
    if (end == std::string_view::npos) {
      faults.push_back("the file does not end with CR LF");
      break;
    }
    lines.emplace_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class CheckingFileSystem final : public calendarstore::FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  int createFile(const std::filesystem::path& path, std::string_view bytes, const calendarstore::FileAccess& access,
                 calendarstore::FileStamp& written) override {
    if (bytes.starts_with("BEGIN:VCALENDAR")) {
      for (const std::string& fault : itemFileFaults(bytes)) {
        ADD_FAILURE() << "written item file breaks a rule: " << fault << "\n" << bytes;
      }
    }
    return FileSystemWrapper::createFile(path, bytes, access, written);
  }
};

}  // namespace

std::vector<std::string> itemFileFaults(std::string_view bytes) {
  std::vector<std::string> faults;
  if (!validUtf8(bytes)) faults.push_back("the file is not UTF-8");
  std::vector<std::string> lines;  // unfolded
  for (const std::string& line : physicalLines(bytes, faults)) {
    if (line.size() > 75) faults.push_back("a line longer than 75 octets: " + line);
    if (std::any_of(line.begin(), line.end(), [](char c) {
          return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
        })) {
      faults.push_back("a control character in: " + line);
    }
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
      lines.back() += line.substr(1);
    } else {
      lines.push_back(line);
    }
  }
  if (lines.empty() || lines.front() != "BEGIN:VCALENDAR" || lines.back() != "END:VCALENDAR") {
    faults.push_back("the file is not one VCALENDAR");
  }
  std::set<std::string> defined;
  std::map<std::string, int> earliestYear;  // by TZID
  std::vector<std::pair<std::string, size_t>> zoneSizes;
  bool inZone = false;
  std::string zoneId;
  size_t zoneSize = 0;
  for (const std::string& line : lines) {
    const std::string name = upper(line.substr(0, line.find_first_of(";:")));
    if (name.starts_with("X-LIC-") || name.starts_with("X-ZYLO-")) faults.push_back("a marker line: " + line);
    if (line == "BEGIN:VTIMEZONE") inZone = true, zoneSize = 0, zoneId.clear();
    if (inZone) zoneSize += line.size() + 2;
    if (inZone && name == "TZID") defined.insert(zoneId = line.substr(5));
    if (line == "END:VTIMEZONE") inZone = false, zoneSizes.emplace_back(zoneId, zoneSize);
    const size_t tzid = line.find(";TZID=");
    const size_t colon = line.rfind(':');
    if (inZone || tzid == std::string::npos || colon == std::string::npos || colon < tzid) continue;
    std::string id = line.substr(tzid + 6, line.find_first_of(";:", tzid + 6) - tzid - 6);
    if (id.size() >= 2 && id.front() == '"' && id.back() == '"') id = id.substr(1, id.size() - 2);
    const int year = std::atoi(line.substr(colon + 1, 4).c_str());
    auto [at, added] = earliestYear.emplace(id, year);
    if (!added) at->second = std::min(at->second, year);
  }
  for (const auto& [id, year] : earliestYear) {
    if (!defined.contains(id)) faults.push_back("no VTIMEZONE for TZID " + id);
  }
  for (const auto& [id, size] : zoneSizes) {
    auto used = earliestYear.find(id);
    if (used != earliestYear.end() && used->second >= kRecentYear && size > kZoneOctets) {
      faults.push_back("the VTIMEZONE " + id + " holds " + std::to_string(size) + " octets");
    }
  }
  return faults;
}

std::shared_ptr<calendarstore::FileSystem> checkingFileSystem(std::shared_ptr<calendarstore::FileSystem> base) {
  return std::make_shared<CheckingFileSystem>(std::move(base));
}

}  // namespace zylo::testing
