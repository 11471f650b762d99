// Parameter vectors and the views of each parameter the plug-in asks for.
#include "platform/fmx/host/handles.h"

using fmxhost::checked;
using fmxhost::guarded;

namespace fmxhost {

FM_Parameter makeParameter(const Value& value) {
  FM_Parameter p;
  p.data.value = value;
  p.data.locale.type = value.localeType;
  p.text.units = value.asText();
  p.number.value = value.asNumber();
  if (auto ts = value.asTimestamp()) p.timestamp.value = *ts, p.hasTimestamp = true;
  return p;
}

}  // namespace fmxhost

namespace {

const FM_Parameter& parameterAt(const FM_DataVect* self, uint32_t i) {
  const auto& parameters = checked(self).parameters;
  if (i >= parameters.size()) throw fmxhost::BadHandle{};
  return parameters[i];
}

}  // namespace

extern "C" {

FM_DataVect* FM_DataVect_Constructor1(FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<FM_DataVect*>(nullptr), [] { return new FM_DataVect; });
}

void FM_DataVect_Delete(FM_DataVect* self, FMX_ErrorBlock* err) {
  fmxhost::guardedDelete(__func__, err, self);
}

void FM_DataVect_PushBack(FM_DataVect* self, const FM_Data* data, FMX_ErrorBlock* err) {
  fmxhost::guardedVoid(__func__, err, [&] {
    checked(self).parameters.push_back(fmxhost::makeParameter(checked(data).value));
  });
}

uint32_t FM_DataVect_Size(const FM_DataVect* self, FMX_ErrorBlock* err) {
  return guarded(__func__, err, 0u, [&] { return static_cast<uint32_t>(checked(self).parameters.size()); });
}

const FM_Text* FM_DataVect_AtAsText(const FM_DataVect* self, uint32_t i, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<const FM_Text*>(nullptr), [&] { return &parameterAt(self, i).text; });
}

const FM_FixPt* FM_DataVect_AtAsNumber(const FM_DataVect* self, uint32_t i, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<const FM_FixPt*>(nullptr),
                 [&] { return &parameterAt(self, i).number; });
}

// A value that names no moment cannot be read as a timestamp: that is a
// failure the caller sees, not a made-up date.
const FM_DateTime* FM_DataVect_AtAsTimeStamp(const FM_DataVect* self, uint32_t i, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<const FM_DateTime*>(nullptr), [&] {
    const FM_Parameter& p = parameterAt(self, i);
    if (!p.hasTimestamp) throw fmxhost::BadHandle{};
    return &p.timestamp;
  });
}

const FM_Data* FM_DataVect_At(const FM_DataVect* self, uint32_t i, FMX_ErrorBlock* err) {
  return guarded(__func__, err, static_cast<const FM_Data*>(nullptr), [&] { return &parameterAt(self, i).data; });
}

}  // extern "C"
