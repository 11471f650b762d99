#include "frame/function_frame.h"

#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "frame/value_conversion.h"
#include "platform/foundation/date_text.h"
#include "plugin/platform_services.h"
#include "plugin/plugin_state.h"

namespace zylo {

FunctionFrame::FunctionFrame(Session& session, const FM_DataVect* params, FM_Data* result)
    : session_(session), params_(params), result_(result), count_(0) {
  g_llasterror = 0;
  if (session_.context()) session_.context()->resetLastErrorString();
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

void FunctionFrame::clearErrors() {
  session_.clearError();
  g_llasterror = 0;
}

bool FunctionFrame::unsupportedSystem() {
  if (!g_bUseEK && session_.context()) return false;
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
  const auto date = foundation::dateWithString(*text);
  if (!date) return;
  // A text in the offset before a change at its instant (an all-day start
  // on a day the zone skipped) keeps the wall-clock fields it names.
  const foundation::TimeZone& zone = *platformServices().timeZone;
  const auto before = foundation::fixedOffsetZone(zone.secondsFromGMT(*date - std::chrono::seconds{1}));
  const bool atChange = before->secondsFromGMT(*date) != zone.secondsFromGMT(*date);
  if (atChange && *text == foundation::describeDate(*date, *before)) {
    writeTimestamp(result_, *date, *before);
    return;
  }
  answerTimestamp(*date);
}

void FunctionFrame::finish() {
  if (g_llasterror == 0) return;
  session_.setError(g_llasterror, 0, std::nullopt);
  writeErrorMarker(result_);
}

namespace {

void answerError(Session* session, FM_Data* result, int32_t code) noexcept {
  g_llasterror = code;
  try {
    if (session) session->setError(code, 0, std::nullopt);
    writeErrorMarker(fmx::DataRef(result));
  } catch (...) {
    // The host could not take the marker; the error object still says why.
  }
}

}  // namespace

void answerStoreException(Session& session, FM_Data* result, const CalendarStoreException& e) noexcept {
  try {
    if (session.context()) session.context()->noteStoreException(e);
  } catch (...) {
    // No room for the reason: the code still tells what failed.
  }
  answerError(&session, result, kStoreException);
}

void answerUnknownException(Session* session, FM_Data* result) noexcept {
  answerError(session, result, kUnknownException);
}

}  // namespace zylo
