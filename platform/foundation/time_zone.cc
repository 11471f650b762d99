#include "platform/foundation/time_zone.h"

#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/foundation/civil_days.h"
#include "platform/foundation/default_zone.h"
#include "platform/foundation/tzif_zone.h"

namespace foundation {
namespace {

class FixedOffsetZone final : public TimeZone {
 public:
  explicit FixedOffsetZone(int secondsEast) : offset_(secondsEast) {}
  int secondsFromGMT(Date) const override { return offset_; }
  Date dateFromLocal(const LocalDateTime& local) const override {
    return Date{std::chrono::seconds{wallSeconds(local) - offset_}};
  }
  std::optional<std::string> name() const override { return std::nullopt; }

 private:
  int offset_;
};

// A zone of the system's zone files, read with every rule they hold,
// including the one for the years after their last listed change.
class NamedZone final : public TimeZone {
 public:
  NamedZone(TzifZone zone, std::string name) : zone_(std::move(zone)), name_(std::move(name)) {}
  int secondsFromGMT(Date at) const override { return zone_.offsetAt(at.time_since_epoch().count()); }
  Date dateFromLocal(const LocalDateTime& local) const override {
    return dateFromLocalByOffsets(local, *this);
  }
  std::optional<std::string> name() const override { return name_; }

 private:
  TzifZone zone_;
  std::string name_;
};

// The folder of the system's zone files.
std::filesystem::path zoneinfoFolder() {
  const char* folder = std::getenv("TZDIR");
  return folder && *folder ? folder : "/usr/share/zoneinfo";
}

std::shared_ptr<const TimeZone> readNamedZone(const std::string& name) {
  // A TZID read from a file may name a folder or anything else below the
  // zone folder: only a regular file of a zone file's size is read.
  constexpr uintmax_t kMaxZoneFile = 1 << 20;
  const std::filesystem::path path = zoneinfoFolder() / name;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || std::filesystem::file_size(path, error) > kMaxZoneFile ||
      error) {
    return nullptr;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes(kMaxZoneFile, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  auto zone = TzifZone::parse(bytes);
  if (!zone) return nullptr;
  return std::make_shared<const NamedZone>(std::move(*zone), name);
}

// Only plain zone names below the zone folder: a TZID read from a file must
// not name a path elsewhere.
bool isZoneName(std::string_view name) {
  return !name.empty() && !name.starts_with('/') && !name.starts_with("file:") &&
         name.find("..") == std::string_view::npos;
}

std::shared_ptr<const TimeZone> utc() {
  if (auto zone = namedZone("Etc/UTC")) return zone;
  return fixedOffsetZone(0);
}

// The zone name of a path inside a zoneinfo folder, or none.
std::optional<std::string> nameBelowZoneinfo(const std::filesystem::path& path) {
  std::filesystem::path name;
  bool below = false;
  for (const auto& part : path.lexically_normal()) {
    if (below) name /= part;
    if (part == "zoneinfo") below = true, name.clear();
  }
  if (name.empty()) return std::nullopt;
  return name.string();
}

std::shared_ptr<const TimeZone> zoneOfLink(const std::filesystem::path& link) {
  std::error_code error;
  std::filesystem::path target = std::filesystem::read_symlink(link, error);
  if (error) return nullptr;
  if (target.is_relative()) target = link.parent_path() / target;
  auto name = nameBelowZoneinfo(target);
  return name ? namedZone(*name) : nullptr;
}

std::shared_ptr<const TimeZone> zoneOfVariable(std::string_view tz) {
  if (tz.starts_with(':')) tz.remove_prefix(1);
  if (tz.starts_with('/')) {
    constexpr std::string_view kZoneinfo = "/usr/share/zoneinfo/";
    auto name = std::filesystem::path(tz).lexically_normal().string();
    if (!name.starts_with(kZoneinfo)) return nullptr;
    return namedZone(std::string_view(name).substr(kZoneinfo.size()));
  }
  return tz.empty() ? nullptr : namedZone(tz);
}

}  // namespace

Date dateFromLocalByOffsets(const LocalDateTime& local, const TimeZone& zone) {
  // Offsets change at most once in two days, so the offsets a day either
  // side are the ones before and after any change the fields are near.
  constexpr int64_t kDay = 86400;
  const int64_t wall = wallSeconds(local);
  const auto at = [](int64_t seconds) { return Date{std::chrono::seconds{seconds}}; };
  const int before = zone.secondsFromGMT(at(wall - kDay));
  const int after = zone.secondsFromGMT(at(wall + kDay));
  if (before == after || zone.secondsFromGMT(at(wall - before)) == before) return at(wall - before);
  if (zone.secondsFromGMT(at(wall - after)) == after) return at(wall - after);
  return at(wall - before);  // in the gap
}

std::shared_ptr<const TimeZone> fixedOffsetZone(int secondsEast) {
  return std::make_shared<const FixedOffsetZone>(secondsEast);
}

std::shared_ptr<const TimeZone> namedZone(std::string_view ianaName) {
  if (!isZoneName(ianaName)) return nullptr;
  // Zones are immutable: each file is read once while the code is loaded.
  static std::mutex lock;
  static std::map<std::string, std::shared_ptr<const TimeZone>, std::less<>> known;
  std::lock_guard guard(lock);
  auto found = known.find(ianaName);
  if (found != known.end()) return found->second;
  auto zone = readNamedZone(std::string(ianaName));
  if (zone) known.emplace(std::string(ianaName), zone);
  return zone;
}

std::shared_ptr<const TimeZone> defaultZoneFor(std::optional<std::string_view> tz,
                                               const std::filesystem::path& localtime) {
  auto zone = tz ? zoneOfVariable(*tz) : zoneOfLink(localtime);
  return zone ? zone : utc();
}

std::shared_ptr<const TimeZone> systemDefaultZone() {
  const char* tz = std::getenv("TZ");
  return defaultZoneFor(tz ? std::optional<std::string_view>(tz) : std::nullopt, "/etc/localtime");
}

LocalDateTime splitGregorian(Date date, const TimeZone& zone) {
  return localFields(date.time_since_epoch().count() + zone.secondsFromGMT(date));
}

LocalDateTime splitAsStartOfDay(Date date, const TimeZone& zone) {
  return localFields(date.time_since_epoch().count() + zone.secondsFromGMT(date - std::chrono::seconds{1}));
}

}  // namespace foundation
