// What zylo-host prints: results and registered functions, as plain lines
// or as one JSON object each. Everything comes out as UTF-8, without the
// line's newline.
#ifndef ZYLO_HOST_VALUE_FORMAT_H_
#define ZYLO_HOST_VALUE_FORMAT_H_

#include <string>

#include "platform/fmx/host/host_api.h"

namespace zylo::host {

// Text as it is (a carriage return included), numbers in decimal, dates as
// YYYY-MM-DD, times as HH:MM:SS, timestamps as both; empty as nothing.
std::string plainText(const fmxhost::Value& v);
// {"type":"timestamp","value":"2026-01-02 10:00:00"}; the value is always
// a JSON string, so that numbers keep every digit; empty has no value.
std::string json(const fmxhost::Value& v);

// "151 Zylo_Version Zylo_Version( { format } ) 0..1 65281"
std::string plainText(const fmxhost::Function& f);
// {"id":151,"name":"Zylo_Version","prototype":"...","min":0,"max":1,"flags":65281}
std::string json(const fmxhost::Function& f);

}  // namespace zylo::host

#endif  // ZYLO_HOST_VALUE_FORMAT_H_
