// What the opaque handles of the SDK's C interface hold on the host's side.
#ifndef ZYLO_PLATFORM_FMX_HOST_HANDLES_H_
#define ZYLO_PLATFORM_FMX_HOST_HANDLES_H_

#include <deque>
#include <string>

#include "platform/fmx/fmx_abi.h"
#include "platform/fmx/host/host_api.h"

struct FM_QuadChar {
  char chars[4];
};

struct FM_Text {
  std::u16string units;
};

struct FM_FixPt {
  fmxhost::Number value;
  int32_t precision = 16;
};

struct FM_DateTime {
  fmxhost::Timestamp value;
};

struct FM_Locale {
  int32_t type = 1;
};

struct FM_Data {
  fmxhost::Value value;
  FM_Locale locale;
};

// One parameter with the views of it the plug-in may ask for, made when the
// vector is built so that the handles stay valid for the whole call. A view
// the value cannot be converted to is missing (`hasTimestamp` false).
struct FM_Parameter {
  FM_Data data;
  FM_Text text;
  FM_FixPt number;
  FM_DateTime timestamp;
  bool hasTimestamp = false;
};

struct FM_DataVect {
  std::deque<FM_Parameter> parameters;
};

struct FM_ExprEnv {};

namespace fmxhost {

// Runs the body of one C entry point: reports success, or turns an
// exception into the failure code, so none crosses the C interface.
template <class Result, class Body>
Result guarded(FMX_Err* err, Result onFailure, Body&& body) {
  try {
    *err = kFMX_NoError;
    return body();
  } catch (const std::bad_alloc&) {
    *err = kFMX_BadAlloc;
  } catch (...) {
    *err = kFMX_Failure;
  }
  return onFailure;
}

template <class Body>
void guardedVoid(FMX_Err* err, Body&& body) {
  guarded(err, 0, [&] {
    body();
    return 0;
  });
}

// A failure reported on a null or otherwise unusable handle.
struct BadHandle {};

template <class H>
H& checked(H* handle) {
  if (handle == nullptr) throw BadHandle{};
  return *handle;
}

// The parameter as the host converts it.
FM_Parameter makeParameter(const Value& value);

}  // namespace fmxhost

#endif  // ZYLO_PLATFORM_FMX_HOST_HANDLES_H_
