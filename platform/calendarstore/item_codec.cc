#include "platform/calendarstore/item_codec.h"

#include <cstring>

#include "platform/calendarstore/rule_conversion.h"

namespace calendarstore {
namespace {

using foundation::Date;

// How a time's zone is written.
enum ZoneTag : uint8_t { kDefaultZone = 0, kUtc = 1, kNamedZone = 2 };

class Writer {
 public:
  explicit Writer(const ZoneTable& zones) : zones_(zones) {}

  void integer(int64_t v) {
    const auto u = static_cast<uint64_t>(v);
    char raw[8];
    for (int i = 0; i < 8; ++i) raw[i] = static_cast<char>(u >> (8 * i));
    out_.append(raw, 8);
  }
  void flag(bool b) { out_.push_back(b ? 1 : 0); }
  void bytes(std::string_view s) {
    integer(static_cast<int64_t>(s.size()));
    out_.append(s);
  }
  void text(const foundation::String& s) {
    bytes({reinterpret_cast<const char*>(s.data()), s.size() * sizeof(char16_t)});
  }
  void date(Date d) { integer(d.time_since_epoch().count()); }
  template <class T, class F>
  void optional(const std::optional<T>& v, F write) {
    flag(v.has_value());
    if (v) write(*v);
  }
  template <class T, class F>
  void list(const std::vector<T>& v, F write) {
    integer(static_cast<int64_t>(v.size()));
    for (const T& e : v) write(e);
  }

  void time(const StoredTime& t) {
    date(t.instant);
    for (int f : {t.local.year, t.local.month, t.local.day, t.local.hour, t.local.minute, t.local.second}) {
      integer(f);
    }
    if (t.zone == zones_.defaultZone()) {
      out_.push_back(kDefaultZone);
    } else if (t.zone == zones_.utc()) {
      out_.push_back(kUtc);
    } else if (auto name = t.zone ? t.zone->name() : std::nullopt) {
      out_.push_back(kNamedZone);
      bytes(*name);
    } else {
      unnamed_ = true;
    }
    flag(t.isDate);
    flag(t.isFloating);
  }

  void component(const ComponentRecord& c) {
    auto optText = [&](const foundation::OptionalString& s) { optional(s, [&](const auto& v) { text(v); }); };
    auto optDate = [&](const std::optional<Date>& d) { optional(d, [&](Date v) { date(v); }); };
    text(c.uid);
    optText(c.title), optText(c.notes), optText(c.location), optText(c.url);
    optDate(c.dateStamp);
    optional(c.start, [&](const StoredTime& t) { time(t); });
    integer(c.durationSeconds);
    integer(c.durationDays);
    optDate(c.recurrenceId);
    flag(c.thisAndFuture);
    optional(c.rrule, [&](const std::string& r) { bytes(r); });
    list(c.moreRrules, [&](const std::string& r) { bytes(r); });
    list(c.rdates, [&](const ExtraDate& e) {
      time(e.start);
      optDate(e.end);
    });
    list(c.exdates, [&](Date d) { date(d); });
    list(c.exdateDays, [&](int64_t d) { integer(d); });
    list(c.attendees, [&](const zylo::CalAttendee& a) {
      optional(a.address, [&](const foundation::Url& u) { text(u.absoluteString()); });
      optText(a.commonName);
      optText(a.status);
    });
    flag(c.hasAttendees);
    list(c.alarms, [&](const AlarmTrigger& t) {
      optDate(t.absolute);
      integer(t.offsetSeconds);
      flag(t.fromEnd);
    });
    optDate(c.due), optDate(c.completed);
    flag(c.isCompleted);
    integer(c.priority);
  }

  std::optional<std::string> finish() {
    if (unnamed_) return std::nullopt;
    integer(static_cast<int64_t>(fingerprintOf(out_)));
    return std::move(out_);
  }

 private:
  const ZoneTable& zones_;
  std::string out_;
  bool unnamed_ = false;
};

// Every read checks what is left; the first failure makes the rest of the
// reads answer zeros and `ok()` false.
class Reader {
 public:
  Reader(std::string_view in, ZoneTable& zones) : in_(in), zones_(zones) {}

  bool ok() const { return ok_; }
  bool atEnd() const { return in_.empty(); }

  int64_t integer() {
    if (!take(8)) return 0;
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= uint64_t{static_cast<unsigned char>(last_[i])} << (8 * i);
    return static_cast<int64_t>(u);
  }
  bool flag() {
    if (!take(1)) return false;
    return last_[0] != 0;
  }
  std::string bytes() {
    const int64_t n = integer();
    if (n < 0 || !take(static_cast<size_t>(n))) return {};
    return std::string(last_);
  }
  foundation::String text() {
    const std::string raw = bytes();
    if (raw.size() % sizeof(char16_t) != 0) ok_ = false;
    foundation::String s(raw.size() / sizeof(char16_t), u'\0');
    std::memcpy(s.data(), raw.data(), s.size() * sizeof(char16_t));
    return s;
  }
  Date date() { return Date{std::chrono::seconds{integer()}}; }
  template <class F>
  auto optional(F read) -> std::optional<decltype(read())> {
    if (!flag()) return std::nullopt;
    return read();
  }
  template <class F>
  auto list(F read) -> std::vector<decltype(read())> {
    const int64_t n = integer();
    std::vector<decltype(read())> v;
    // Every element takes at least one byte: a larger count is damage.
    if (n < 0 || static_cast<uint64_t>(n) > in_.size()) {
      ok_ = false;
      return v;
    }
    v.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n && ok_; ++i) v.push_back(read());
    return v;
  }

  StoredTime time() {
    StoredTime t;
    t.instant = date();
    int* fields[] = {&t.local.year, &t.local.month, &t.local.day, &t.local.hour, &t.local.minute, &t.local.second};
    for (int* f : fields) *f = static_cast<int>(integer());
    switch (take(1) ? static_cast<uint8_t>(last_[0]) : 255) {
      case kDefaultZone: t.zone = zones_.defaultZone(); break;
      case kUtc: t.zone = zones_.utc(); break;
      case kNamedZone: t.zone = zones_.zoneFor(bytes(), nullptr); break;
      default: break;
    }
    if (!t.zone) ok_ = false;
    t.isDate = flag();
    t.isFloating = flag();
    return t;
  }

  ComponentRecord component() {
    ComponentRecord c;
    auto optText = [&] { return optional([&] { return text(); }); };
    auto optDate = [&] { return optional([&] { return date(); }); };
    c.uid = text();
    c.title = optText(), c.notes = optText(), c.location = optText(), c.url = optText();
    c.dateStamp = optDate();
    c.start = optional([&] { return time(); });
    c.durationSeconds = integer();
    c.durationDays = static_cast<int>(integer());
    c.recurrenceId = optDate();
    c.thisAndFuture = flag();
    c.rrule = optional([&] { return bytes(); });
    c.moreRrules = list([&] { return bytes(); });
    c.rdates = list([&] {
      ExtraDate e{time(), std::nullopt};
      e.end = optDate();
      return e;
    });
    c.exdates = list([&] { return date(); });
    c.exdateDays = list([&] { return integer(); });
    c.attendees = list([&] {
      zylo::CalAttendee a;
      if (auto address = optText()) a.address = foundation::Url::withString(*address);
      a.commonName = optText();
      a.status = optText();
      return a;
    });
    c.hasAttendees = flag();
    c.alarms = list([&] {
      AlarmTrigger t;
      t.absolute = optDate();
      t.offsetSeconds = integer();
      t.fromEnd = flag();
      return t;
    });
    c.due = optDate(), c.completed = optDate();
    c.isCompleted = flag();
    c.priority = static_cast<int>(integer());
    return c;
  }

 private:
  bool take(size_t n) {
    if (!ok_ || in_.size() < n) {
      ok_ = false;
      return false;
    }
    last_ = in_.substr(0, n);
    in_.remove_prefix(n);
    return true;
  }

  std::string_view in_, last_;
  ZoneTable& zones_;
  bool ok_ = true;
};

}  // namespace

uint64_t fingerprintOf(std::string_view bytes) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::optional<std::string> encodeContents(const ItemRecord* record, std::string_view problem,
                                          const ZoneTable& zones) {
  Writer w(zones);
  w.flag(record != nullptr);
  if (!record) {
    w.bytes(problem);
    return w.finish();
  }
  const ItemRecord& item = *record;
  w.flag(item.kind == ItemKind::kTask);
  w.component(item.main);
  w.list(item.overrides, [&](const ComponentRecord& c) { w.component(c); });
  w.list(item.repairs, [&](const std::string& r) { w.bytes(r); });
  w.flag(item.withoutSeries);
  return w.finish();
}

std::optional<FileContents> decodeContents(std::string_view bytes, ZoneTable& zones) {
  if (bytes.size() < 8) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - 8);
  Reader sum(bytes.substr(body.size()), zones);
  if (static_cast<uint64_t>(sum.integer()) != fingerprintOf(body)) return std::nullopt;
  Reader r(body, zones);
  FileContents contents;
  if (!r.flag()) {
    contents.problem = r.bytes();
  } else {
    ItemRecord item;
    item.kind = r.flag() ? ItemKind::kTask : ItemKind::kEvent;
    item.main = r.component();
    item.overrides = r.list([&] { return r.component(); });
    item.repairs = r.list([&] { return r.bytes(); });
    item.withoutSeries = r.flag();
    if (item.main.rrule && item.main.start) item.rule = ruleFromText(*item.main.rrule, *item.main.start);
    contents.item = std::move(item);
  }
  if (!r.ok() || !r.atEnd()) return std::nullopt;
  return contents;
}

}  // namespace calendarstore
