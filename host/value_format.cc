#include "host/value_format.h"

#include "host/temporal.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

const char* typeName(const fmxhost::Value& v) {
  static constexpr const char* kNames[] = {"empty", "text", "number", "date", "time", "timestamp"};
  return kNames[v.content.index()];
}

std::string quoted(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace

std::string plainText(const fmxhost::Value& v) {
  if (const auto* s = std::get_if<std::u16string>(&v.content)) return foundation::toUtf8(*s);
  if (const auto* n = std::get_if<fmxhost::Number>(&v.content)) return n->toString();
  if (const auto* d = std::get_if<fmxhost::Date>(&v.content)) return isoDateText(*d);
  if (const auto* t = std::get_if<fmxhost::Time>(&v.content)) return timeText(*t, 2);
  if (const auto* ts = std::get_if<fmxhost::Timestamp>(&v.content))
    return isoDateText(ts->date) + " " + timeText(ts->time, 2);
  return "";
}

std::string json(const fmxhost::Value& v) {
  std::string out = std::string("{\"type\":\"") + typeName(v) + "\"";
  if (!std::holds_alternative<std::monostate>(v.content))
    out += ",\"value\":" + quoted(plainText(v));
  return out + "}";
}

std::string plainText(const fmxhost::Function& f) {
  return std::to_string(f.id) + " " + foundation::toUtf8(f.name) + " " +
         foundation::toUtf8(f.prototype) + " " + std::to_string(f.minArgs) + ".." +
         std::to_string(f.maxArgs) + " " + std::to_string(f.flags);
}

std::string json(const fmxhost::Function& f) {
  return "{\"id\":" + std::to_string(f.id) + ",\"name\":" + quoted(foundation::toUtf8(f.name)) +
         ",\"prototype\":" + quoted(foundation::toUtf8(f.prototype)) +
         ",\"min\":" + std::to_string(f.minArgs) + ",\"max\":" + std::to_string(f.maxArgs) +
         ",\"flags\":" + std::to_string(f.flags) + "}";
}

}  // namespace zylo::host
