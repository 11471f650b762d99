// The host's side of the SDK library: what a host program (zylo-host, or a
// test that plays the host) uses to build values, call registered
// functions and read their results. The plug-in never includes this file.
//
// Thread contract: functions are registered and unregistered while none is
// being called (the host's start-up and shut-down). In between, any number
// of threads may look functions up, call them, and make and read values at
// once: each call builds handles of its own, and the one state the library
// shares, fault injection's, is locked.
#ifndef ZYLO_PLATFORM_FMX_HOST_HOST_API_H_
#define ZYLO_PLATFORM_FMX_HOST_HOST_API_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/fmx/fmx_abi.h"

namespace fmxhost {

// A decimal number as the host keeps it: mantissa * 10^-scale, so that
// integers and decimals typed by the user round-trip exactly.
struct Number {
  __int128 mantissa = 0;
  int32_t scale = 0;  // digits after the decimal point, 0..400

  static FMX_API Number fromInt(int64_t v);
  static FMX_API Number fromDouble(double v);
  // FileMaker's reading of text as a number ("12abc3.5" -> 123.5); none for
  // text without digits.
  static FMX_API std::optional<Number> fromText(std::u16string_view text);
  FMX_API double toDouble() const;
  FMX_API int64_t truncated() const;  // toward zero, clamped to int64
  FMX_API std::string toString() const;  // shortest exact decimal, no exponent
};

struct Date {
  int year = 1, month = 1, day = 1;
};
struct Time {
  int64_t hour = 0;
  int minute = 0, second = 0, microsecond = 0;
};
struct Timestamp {
  Date date;
  Time time;
};

// One host value. Empty is a value the function never set.
struct Value {
  std::variant<std::monostate, std::u16string, Number, Date, Time, Timestamp> content;
  int32_t localeType = 1;

  FMX_API int32_t nativeType() const;  // kFMX_Type*; kFMX_TypeInvalid for empty
  FMX_API std::u16string asText() const;
  FMX_API Number asNumber() const;
  FMX_API std::optional<Timestamp> asTimestamp() const;
};

// A registered external function.
struct Function {
  std::string pluginId;  // four characters
  int16_t id = 0;
  std::u16string name;
  std::u16string prototype;
  int16_t minArgs = 0, maxArgs = 0;
  uint32_t flags = 0;
  FMX_ExternCallPtr call = nullptr;
};

// The functions registered so far, in registration order. A second
// registration of the same plug-in id and function id replaces the first.
FMX_API const std::vector<Function>& registeredFunctions();
// Looks a function up by its registered name, ignoring letter case as the
// host's calculation engine does.
FMX_API const Function* findFunction(std::u16string_view name);
// Every unregistration the plug-in asked for, registered or not, in order.
FMX_API const std::vector<int16_t>& unregistrationCalls();
// Forgets every registration and unregistration (a fresh host). REQUIRES:
// no function is being called.
FMX_API void resetRegistry();

// Calls a function with the given parameters, as the host does for the
// session `sessionId`, and answers its result value. The parameter count is
// not checked here. Thread-safe once the functions are registered: sessions
// call from threads of their own.
struct CallOutcome {
  FMX_Err hostError = 0;
  Value result;
};
FMX_API CallOutcome callFunction(const Function& function, const std::vector<Value>& params,
                                 uintptr_t sessionId = 0);

// Fault injection, for tests: from now on the `nth` call (counting from 1)
// of the SDK function named `function` fails, reporting `code`; every other
// call works. A deleter frees its object even when it reports the failure.
FMX_API void injectFault(std::string_view function, int nth, int32_t code = kFMX_Failure);
FMX_API void clearFault();
// How often each SDK function was called since the last reset, by name.
FMX_API std::map<std::string, int> sdkCallCounts();
FMX_API void resetSdkCallCounts();

// Reads handles the plug-in hands to the host (the texts and data value of a
// script-start callback).
FMX_API Value valueOf(const FM_Data* data);
FMX_API std::u16string textOf(const FM_Text* text);

}  // namespace fmxhost

// Parameter vectors made through the C interface, as the host's own library
// offers them (the plug-in only reads vectors).
extern "C" {
FMX_API FM_DataVect* FM_DataVect_Constructor1(FMX_ErrorBlock* err);
FMX_API void FM_DataVect_Delete(FM_DataVect* self, FMX_ErrorBlock* err);
FMX_API void FM_DataVect_PushBack(FM_DataVect* self, const FM_Data* data, FMX_ErrorBlock* err);
}

#endif  // ZYLO_PLATFORM_FMX_HOST_HOST_API_H_
