// Named zones against a table python's zoneinfo wrote from the same zone
// files (zone_oracle/generate_zone_table.py): offsets and wall-clock fields
// of instants, and the instants of wall-clock times in gaps and repeats,
// from 1850 to 2100.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "platform/foundation/time_zone.h"

namespace foundation {
namespace {

struct Row {
  char kind;  // 'I': instant to offset and fields, 'W': fields to instant
  std::string zone, text;
  Date instant;
  int offset = 0;
  LocalDateTime local;
};

std::vector<Row> readTable() {
  std::ifstream in(ZYLO_ZONE_TABLE);
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Row r;
    int64_t seconds = 0;
    LocalDateTime& l = r.local;
    fields >> r.kind >> r.zone;
    if (r.kind == 'I') {
      fields >> seconds >> r.offset >> l.year >> l.month >> l.day >> l.hour >> l.minute >> l.second;
    } else {
      fields >> l.year >> l.month >> l.day >> l.hour >> l.minute >> l.second >> seconds;
    }
    r.instant = Date{std::chrono::seconds{seconds}};
    r.text = line;
    rows.push_back(std::move(r));
  }
  return rows;
}

class ZoneOracle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { rows_ = new std::vector<Row>(readTable()); }
  static void TearDownTestSuite() { delete rows_; }

  const TimeZone& zone(const std::string& name) {
    auto& z = zones_[name];
    if (!z) z = namedZone(name);
    EXPECT_NE(z, nullptr) << name;
    return z ? *z : *fixedOffsetZone(0);
  }
  // Checks every row of one kind; reports at most a few mismatches per zone.
  template <typename Check>
  void checkRows(char kind, Check check) {
    std::map<std::string, int> failures;
    int checked = 0;
    for (const Row& r : *rows_) {
      if (r.kind != kind) continue;
      ++checked;
      if (!check(zone(r.zone), r) && ++failures[r.zone] <= 3) ADD_FAILURE() << r.text;
    }
    EXPECT_GT(checked, 1000);
    for (const auto& [name, count] : failures) ADD_FAILURE() << name << ": " << count << " rows differ";
  }

  static std::vector<Row>* rows_;
  std::map<std::string, std::shared_ptr<const TimeZone>> zones_;
};

std::vector<Row>* ZoneOracle::rows_ = nullptr;

TEST_F(ZoneOracle, OffsetsAndWallClockOfInstants) {
  checkRows('I', [](const TimeZone& z, const Row& r) {
    return z.secondsFromGMT(r.instant) == r.offset && splitGregorian(r.instant, z) == r.local;
  });
}

TEST_F(ZoneOracle, WallClockTimesIncludingGapsAndRepeats) {
  checkRows('W', [](const TimeZone& z, const Row& r) { return z.dateFromLocal(r.local) == r.instant; });
}

// Zones known only by their offsets follow the same rule as the named ones.
class OffsetsOnly final : public TimeZone {
 public:
  explicit OffsetsOnly(std::shared_ptr<const TimeZone> zone) : zone_(std::move(zone)) {}
  int secondsFromGMT(Date at) const override { return zone_->secondsFromGMT(at); }
  Date dateFromLocal(const LocalDateTime& local) const override {
    return dateFromLocalByOffsets(local, *this);
  }
  std::optional<std::string> name() const override { return std::nullopt; }

 private:
  std::shared_ptr<const TimeZone> zone_;
};

TEST_F(ZoneOracle, ZonesKnownByOffsetsReadWallClockTimesAlike) {
  checkRows('W', [](const TimeZone& z, const Row& r) {
    return OffsetsOnly(namedZone(*z.name())).dateFromLocal(r.local) == r.instant;
  });
}

}  // namespace
}  // namespace foundation
