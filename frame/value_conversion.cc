#include "frame/value_conversion.h"

#include <exception>

namespace zylo {

foundation::OptionalString readText(fmx::DataVectRef params, uint32_t i) {
  fmx::TextRef text = params.atAsText(i);
  uint32_t n = text.size();
  if (n == 0) return std::nullopt;
  foundation::String s(n, u'\0');
  text.getUnicode(s.data(), 0, n);
  return s;
}

int32_t readInteger(fmx::DataVectRef params, uint32_t i) { return params.atAsNumber(i).asLong(); }

std::optional<foundation::Date> readTimestamp(fmx::DataVectRef params, uint32_t i,
                                              const foundation::TimeZone& zone) {
  if (params.atAsText(i).size() == 0) return std::nullopt;
  try {
    fmx::DateTimeRef ts = params.atAsTimeStamp(i);
    // Straight from the fields to the instant: going through date text would
    // round an offset to whole minutes, and guessing the offset from today's
    // first would make a time in a gap or a repeated hour depend on the season.
    return zone.dateFromLocal({ts.year(), ts.month(), ts.day(), ts.hour(), ts.minute(), ts.sec()});
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void writeText(fmx::DataRef result, const foundation::String& text) {
  fmx::Text host;
  host.assignUnicode(text.c_str());
  result.setAsText(host.ref(), result.locale());
}

void writeInteger(fmx::DataRef result, int32_t value) {
  fmx::FixPt number(0, 16);
  number.assignInt(value);
  result.setAsNumber(number);
}

namespace {

fmx::DateTime hostDateTime(foundation::Date date, const foundation::TimeZone& zone, bool withTime) {
  foundation::LocalDateTime f = foundation::splitGregorian(date, zone);
  fmx::DateTime dt;
  dt.setNormalizedDate(static_cast<int16_t>(f.month), static_cast<int16_t>(f.day),
                       static_cast<int16_t>(f.year));
  if (withTime)
    dt.setNormalizedTime(f.hour, static_cast<int16_t>(f.minute), static_cast<int16_t>(f.second), 0);
  return dt;
}

}  // namespace

void writeDate(fmx::DataRef result, foundation::Date date, const foundation::TimeZone& zone) {
  result.setAsDate(hostDateTime(date, zone, false));
}

void writeTimestamp(fmx::DataRef result, foundation::Date date, const foundation::TimeZone& zone) {
  result.setAsTimeStamp(hostDateTime(date, zone, true));
}

void writeErrorMarker(fmx::DataRef result) {
  fmx::Text marker;
  marker.assign("!!ERROR!!", kFMX_EncodingASCII);
  result.setAsText(marker.ref(), result.locale());
}

std::optional<std::vector<int32_t>> NSStringToNSArrayInt(const foundation::OptionalString& text) {
  if (!text) return std::nullopt;
  std::vector<int32_t> list;
  for (const foundation::String& piece : foundation::split(*text, u'\r'))
    list.push_back(foundation::intValue(piece));
  return list;
}

}  // namespace zylo
