// Data values: a result the plug-in fills, or a value it makes itself.
#include "platform/fmx/host/handles.h"

using fmxhost::checked;
using fmxhost::guarded;
using fmxhost::guardedVoid;

namespace {

// The setters answer a code of their own as well as the failure report: a
// native type that does not fit the value given is refused that way.
template <class Body>
FMX_Err setter(FMX_Err* err, int32_t wantedType, int32_t nativeType, Body&& body) {
  return guarded(err, FMX_Err{kFMX_Failure}, [&] {
    if (nativeType != wantedType) return FMX_Err{kFMX_Failure};
    body();
    return FMX_Err{kFMX_NoError};
  });
}

}  // namespace

extern "C" {

FM_Data* FM_Data_Constructor(FMX_Err* err) {
  return guarded(err, static_cast<FM_Data*>(nullptr), [] { return new FM_Data; });
}

void FM_Data_Delete(FM_Data* self, FMX_Err* err) {
  guardedVoid(err, [&] { delete self; });
}

const FM_Locale* FM_Data_GetLocale(const FM_Data* self, FMX_Err* err) {
  return guarded(err, static_cast<const FM_Locale*>(nullptr), [&] { return &checked(self).locale; });
}

FMX_Err FM_Data_SetAsText(FM_Data* self, const FM_Text* text, const FM_Locale* locale,
                          int32_t nativeType, FMX_Err* err) {
  return setter(err, kFMX_TypeText, nativeType, [&] {
    auto& data = checked(self);
    data.locale = checked(locale);
    data.value.content = checked(text).units;
    data.value.localeType = data.locale.type;
  });
}

FMX_Err FM_Data_SetAsNumber(FM_Data* self, const FM_FixPt* number, int32_t nativeType,
                            FMX_Err* err) {
  return setter(err, kFMX_TypeNumber, nativeType,
                [&] { checked(self).value.content = checked(number).value; });
}

FMX_Err FM_Data_SetAsDate(FM_Data* self, const FM_DateTime* date, int32_t nativeType,
                          FMX_Err* err) {
  return setter(err, kFMX_TypeDate, nativeType,
                [&] { checked(self).value.content = checked(date).value.date; });
}

FMX_Err FM_Data_SetAsTimeStamp(FM_Data* self, const FM_DateTime* timeStamp, int32_t nativeType,
                               FMX_Err* err) {
  return setter(err, kFMX_TypeTimeStamp, nativeType,
                [&] { checked(self).value.content = checked(timeStamp).value; });
}

}  // extern "C"
