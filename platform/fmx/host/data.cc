// Data values: a result the plug-in fills, or a value it makes itself.
#include "platform/fmx/host/handles.h"

using fmxhost::checked;
using fmxhost::guarded;
using fmxhost::guardedVoid;

namespace {

// A native type that does not fit the value given is refused: the text
// setter answers a code of its own, the others report a failure.
template <class Body>
void setter(const char* function, FMX_ErrorBlock* err, int32_t wantedType, int32_t nativeType,
            Body&& body) {
  guardedVoid(function, err, [&] {
    if (nativeType != wantedType) throw fmxhost::BadHandle{};
    body();
  });
}

}  // namespace

extern "C" {

FM_Data* FM_Data_Constructor1(FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_Data*>(nullptr), [] { return new FM_Data; });
}

void FM_Data_Delete(FM_Data* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

const FM_Locale* FM_Data_GetLocale(const FM_Data* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<const FM_Locale*>(nullptr), [&] { return &checked(self).locale; });
}

FMX_Err FM_Data_SetAsText(FM_Data* self, const FM_Text* text, const FM_Locale* locale,
                          int32_t nativeType, FMX_ErrorBlock* err) {
  return guarded(__func__, err, FMX_Err{kFMX_Failure}, [&] {
    if (nativeType != kFMX_TypeText) return FMX_Err{kFMX_Failure};
    auto& data = checked(self);
    data.locale = checked(locale);
    data.value.content = checked(text).units;
    data.value.localeType = data.locale.type;
    return FMX_Err{kFMX_NoError};
  });
}

void FM_Data_SetAsNumber(FM_Data* self, const FM_FixPt* number, int32_t nativeType,
                         FMX_ErrorBlock* err) {
  setter(__func__, err, kFMX_TypeNumber, nativeType,
                [&] { checked(self).value.content = checked(number).value; });
}

void FM_Data_SetAsDate(FM_Data* self, const FM_DateTime* date, int32_t nativeType,
                       FMX_ErrorBlock* err) {
  setter(__func__, err, kFMX_TypeDate, nativeType,
                [&] { checked(self).value.content = checked(date).value.date; });
}

void FM_Data_SetAsTimeStamp(FM_Data* self, const FM_DateTime* timeStamp, int32_t nativeType,
                            FMX_ErrorBlock* err) {
  setter(__func__, err, kFMX_TypeTimeStamp, nativeType,
                [&] { checked(self).value.content = checked(timeStamp).value; });
}

}  // extern "C"
