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

// The environment of one call: which session makes it.
struct FM_ExprEnv {
  uintptr_t sessionId = 0;
};

namespace fmxhost {

// Whether the injected fault (host_api.h) hits this call of `function`;
// answers the code to report, or kFMX_NoError. Counts the call either way.
int32_t injectedFault(const char* function);

// Runs the body of one C entry point named `function`: on success the error
// block is left as the caller set it; a failure (an injected one, or an
// exception of the body) writes its code there, so none crosses the C
// interface.
template <class Result, class Body>
Result guarded(const char* function, FMX_ErrorBlock* err, Result onFailure, Body&& body) {
  int32_t code = injectedFault(function);
  if (code == kFMX_NoError) {
    try {
      return body();
    } catch (const std::bad_alloc&) {
      code = kFMX_BadAlloc;
    } catch (...) {
      code = kFMX_Failure;
    }
  }
  if (err) err->code = code;
  return onFailure;
}

template <class Body>
void guardedVoid(const char* function, FMX_ErrorBlock* err, Body&& body) {
  guarded(function, err, 0, [&] {
    body();
    return 0;
  });
}

// A deleter frees the object whatever it reports, so an injected failure
// never leaves it behind.
template <class H>
void guardedDelete(const char* function, FMX_ErrorBlock* err, H* self) {
  delete self;
  guardedVoid(function, err, [] {});
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
