// Plug-in identifiers, fixed-point numbers and locales.
#include <algorithm>
#include <limits>

#include "platform/fmx/host/handles.h"

using fmxhost::checked;
using fmxhost::guarded;
using fmxhost::guardedVoid;

extern "C" {

FM_QuadChar* FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_QuadChar*>(nullptr),
                 [&] { return new FM_QuadChar{{c0, c1, c2, c3}}; });
}

void FM_QuadChar_Delete(FM_QuadChar* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

FM_FixPt* FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_FixPt*>(nullptr), [&] {
    if (precision < 0 || precision > 400) throw fmxhost::BadHandle{};
    return new FM_FixPt{fmxhost::Number::fromInt(value), precision};
  });
}

void FM_FixPt_Delete(FM_FixPt* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

void FM_FixPt_AssignInt(FM_FixPt* self, int32_t value, FMX_ErrorBlock* err) {
  guardedVoid(__func__, err, [&] { checked(self).value = fmxhost::Number::fromInt(value); });
}

int32_t FM_FixPt_AsLong(const FM_FixPt* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, 0, [&] {
    const int64_t whole = checked(self).value.truncated();
    return static_cast<int32_t>(std::clamp<int64_t>(whole, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
  });
}

FM_Locale* FM_Locale_Constructor1(int32_t type, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_Locale*>(nullptr), [&] { return new FM_Locale{type}; });
}

void FM_Locale_Delete(FM_Locale* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

FM_Locale* FM_Locale_operatorAS(FM_Locale* self, const FM_Locale* other, FMX_ErrorBlock* err) {
  return guarded(__func__, err, self, [&] { return &(checked(self) = checked(other)); });
}

}  // extern "C"
