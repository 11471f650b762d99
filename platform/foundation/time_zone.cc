#include "platform/foundation/time_zone.h"

#include <date/tz.h>

#include <cstdlib>
#include <mutex>

#include "platform/foundation/civil_days.h"
#include "platform/foundation/default_zone.h"

namespace foundation {
namespace {

date::local_seconds localSeconds(const LocalDateTime& l) {
  const auto day = std::chrono::days{daysFromCivil(l.year, l.month, l.day)};
  return date::local_seconds{day + std::chrono::hours{l.hour} + std::chrono::minutes{l.minute} +
                             std::chrono::seconds{l.second}};
}

class FixedOffsetZone final : public TimeZone {
 public:
  explicit FixedOffsetZone(int secondsEast) : offset_(secondsEast) {}
  int secondsFromGMT(Date) const override { return offset_.count(); }
  Date dateFromLocal(const LocalDateTime& local) const override {
    return Date{localSeconds(local).time_since_epoch() - offset_};
  }
  std::optional<std::string> name() const override { return std::nullopt; }

 private:
  std::chrono::seconds offset_;
};

class NamedZone final : public TimeZone {
 public:
  explicit NamedZone(const date::time_zone* zone) : zone_(zone) {}
  int secondsFromGMT(Date at) const override {
    return static_cast<int>(zone_->get_info(at).offset.count());
  }
  // In a gap `first` is the period before it; of a repeated hour `first` is
  // the earlier occurrence. Either way its offset is the one wanted.
  Date dateFromLocal(const LocalDateTime& local) const override {
    const date::local_seconds wallClock = localSeconds(local);
    return Date{wallClock.time_since_epoch() - zone_->get_info(wallClock).first.offset};
  }
  std::optional<std::string> name() const override { return std::string(zone_->name()); }

 private:
  const date::time_zone* zone_;  // owned by the tz database, lives forever
};

// Loads the tz database once: its lazy first load is not safe when two
// threads race to it.
void loadDatabaseOnce() {
  static std::once_flag loaded;
  std::call_once(loaded, [] { date::get_tzdb(); });
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

std::shared_ptr<const TimeZone> fixedOffsetZone(int secondsEast) {
  return std::make_shared<const FixedOffsetZone>(secondsEast);
}

std::shared_ptr<const TimeZone> namedZone(std::string_view ianaName) {
  try {
    loadDatabaseOnce();
    return std::make_shared<const NamedZone>(date::locate_zone(ianaName));
  } catch (const std::exception&) {
    return nullptr;
  }
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

}  // namespace foundation
