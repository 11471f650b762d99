#include "frame/function_frame.h"

#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "errors/plugin_error.h"
#include "frame/value_conversion.h"
#include "platform/foundation/date_text.h"
#include "plugin/platform_services.h"
#include "plugin/plugin_state.h"

namespace zylo {

FunctionFrame::FunctionFrame(const FM_DataVect* params, FM_Data* result)
    : params_(params), result_(result), count_(0) {
  g_llasterror = 0;
  if (g_sharedFunctions) g_sharedFunctions->resetLastErrorString();
  count_ = params_.size();
}

foundation::OptionalString FunctionFrame::text(uint32_t i) const {
  return i < count_ ? readText(params_, i) : std::nullopt;
}

int32_t FunctionFrame::integer(uint32_t i) const { return i < count_ ? readInteger(params_, i) : 0; }

std::optional<foundation::Date> FunctionFrame::timestamp(uint32_t i) const {
  if (i >= count_) return std::nullopt;
  return readTimestamp(params_, i, *platformServices().timeZone);
}

void FunctionFrame::clearErrors() { ClearError(); }

bool FunctionFrame::unsupportedSystem() {
  if (!g_bUseEK && g_sharedFunctions) return false;
  g_llasterror = kUnsupportedSystem;
  return true;
}

void FunctionFrame::answerText(const foundation::String& text) { writeText(result_, text); }

void FunctionFrame::answerInteger(int32_t value) { writeInteger(result_, value); }

void FunctionFrame::answerDone() {
  if (g_llasterror == 0) answerInteger(0);
}

void FunctionFrame::answerDate(foundation::Date date) {
  writeDate(result_, date, *platformServices().timeZone);
}

void FunctionFrame::answerTimestamp(foundation::Date date) {
  writeTimestamp(result_, date, *platformServices().timeZone);
}

void FunctionFrame::answerDateFromText(const foundation::OptionalString& text) {
  if (!text) return;
  if (auto date = foundation::dateWithString(*text)) answerDate(*date);
}

void FunctionFrame::answerTimestampFromText(const foundation::OptionalString& text) {
  if (!text) return;
  if (auto date = foundation::dateWithString(*text)) answerTimestamp(*date);
}

void FunctionFrame::finish() {
  if (g_llasterror == 0) return;
  if (error) error->setError(g_llasterror, 0, std::nullopt);
  writeErrorMarker(result_);
}

namespace {

void answerError(FM_Data* result, int32_t code) noexcept {
  g_llasterror = code;
  try {
    if (error) error->setError(code, 0, std::nullopt);
    writeErrorMarker(fmx::DataRef(result));
  } catch (...) {
    // The host could not take the marker; the error object still says why.
  }
}

}  // namespace

void answerStoreException(FM_Data* result, const CalendarStoreException& e) noexcept {
  try {
    if (g_sharedFunctions) g_sharedFunctions->noteStoreException(e);
  } catch (...) {
    // No room for the reason: the code still tells what failed.
  }
  answerError(result, kStoreException);
}

void answerUnknownException(FM_Data* result) noexcept { answerError(result, kUnknownException); }

}  // namespace zylo
