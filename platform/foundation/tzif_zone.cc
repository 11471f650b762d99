#include "platform/foundation/tzif_zone.h"

#include <algorithm>

namespace foundation {
namespace {

constexpr size_t kHeaderSize = 44;

struct Counts {
  uint32_t isUt = 0, isStd = 0, leap = 0, time = 0, type = 0, chars = 0;
};

// Reads big-endian numbers from a byte range, refusing to run past its end.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
  bool has(size_t n) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= n; }
  void skip(size_t n) { pos_ += n; }
  int64_t number(size_t width) {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value = value << 8 | static_cast<unsigned char>(bytes_[pos_ + i]);
    pos_ += width;
    if (width == 4) return static_cast<int32_t>(value);
    return static_cast<int64_t>(value);
  }
  std::string_view rest() const { return bytes_.substr(std::min(pos_, bytes_.size())); }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

std::optional<Counts> header(Bytes& in) {
  if (!in.has(kHeaderSize) || in.rest().substr(0, 4) != "TZif") return std::nullopt;
  in.skip(20);
  Counts c;
  for (uint32_t* n : {&c.isUt, &c.isStd, &c.leap, &c.time, &c.type, &c.chars}) *n = static_cast<uint32_t>(in.number(4));
  return c;
}

uint64_t dataSize(const Counts& c, size_t timeWidth) {
  return uint64_t{c.time} * (timeWidth + 1) + uint64_t{c.type} * 6 + c.chars + uint64_t{c.leap} * (timeWidth + 4) +
         c.isStd + c.isUt;
}

}  // namespace

std::optional<TzifZone> TzifZone::parse(std::string_view bytes) {
  Bytes in(bytes);
  auto first = header(in);
  if (!first || bytes[4] < '2') return std::nullopt;
  const uint64_t firstSize = dataSize(*first, 4);
  if (!in.has(firstSize)) return std::nullopt;
  in.skip(firstSize);
  auto counts = header(in);
  if (!counts || counts->type == 0 || !in.has(dataSize(*counts, 8))) return std::nullopt;
  TzifZone zone;
  std::vector<int64_t> times(counts->time);
  for (int64_t& t : times) t = in.number(8);
  std::vector<int> typeOf(counts->time);
  for (int& t : typeOf) t = static_cast<int>(in.number(1));
  std::vector<int> typeOffsets(counts->type);
  for (int& offset : typeOffsets) {
    offset = static_cast<int>(in.number(4));
    in.skip(2);  // daylight flag and name: only offsets matter here
  }
  for (uint32_t i = 0; i < counts->time; ++i) {
    if (typeOf[i] >= static_cast<int>(counts->type) || (i > 0 && times[i] <= times[i - 1])) return std::nullopt;
    zone.changes_.push_back(times[i]);
    zone.offsets_.push_back(typeOffsets[typeOf[i]]);
  }
  zone.initial_ = typeOffsets[0];
  in.skip(counts->chars + uint64_t{counts->leap} * 12 + counts->isStd + counts->isUt);
  const std::string_view footer = in.rest();
  if (footer.size() >= 2 && footer.front() == '\n') {
    const size_t end = footer.find('\n', 1);
    if (end != std::string_view::npos && end > 1) zone.rule_ = PosixTzRule::parse(footer.substr(1, end - 1));
  }
  return zone;
}

int TzifZone::offsetAt(int64_t unixSeconds) const {
  if (changes_.empty() || unixSeconds < changes_.front()) {
    return changes_.empty() && rule_ ? rule_->offsetAt(unixSeconds) : initial_;
  }
  if (rule_ && unixSeconds >= changes_.back()) return rule_->offsetAt(unixSeconds);
  const auto after = std::upper_bound(changes_.begin(), changes_.end(), unixSeconds);
  return offsets_[after - changes_.begin() - 1];
}

}  // namespace foundation
