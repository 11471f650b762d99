// The frame every external function follows: clear the error records,
// convert the parameters, test for an unsupported system, make one call into
// the calendar context, and answer either the result or the error marker
// with the code recorded on the session's error object.
//
// One frame per call, on the call's thread, inside its session's scope.
#ifndef ZYLO_FRAME_FUNCTION_FRAME_H_
#define ZYLO_FRAME_FUNCTION_FRAME_H_

#include <cstdint>
#include <optional>

#include "calendar/ical_functions.h"
#include "frame/session.h"
#include "frame/session_scope.h"
#include "platform/fmx/fmx.h"
#include "platform/foundation/date.h"
#include "platform/foundation/string.h"

namespace zylo {

class FunctionFrame {
 public:
  // Opens the call in `session`: the last-error code is 0 and the context's
  // last-error text is emptied.
  FunctionFrame(Session& session, const FM_DataVect* params, FM_Data* result);

  uint32_t parameterCount() const { return count_; }
  // Parameters past the ones that arrived are absent (or 0).
  foundation::OptionalString text(uint32_t i) const;
  int32_t integer(uint32_t i) const;
  std::optional<foundation::Date> timestamp(uint32_t i) const;

  // After the parameters: clears the error object and the last-error code.
  void clearErrors();
  // True, with 9015 recorded, when the system is too new for the context.
  bool unsupportedSystem();
  // REQUIRES: unsupportedSystem() answered false.
  iCalFunctions& context() const { return *session_.context(); }

  void answerText(const foundation::String& text);
  void answerInteger(int32_t value);
  // The number 0 when the call went through (g_llasterror is 0).
  void answerDone();
  void answerDate(foundation::Date date);
  void answerTimestamp(foundation::Date date);
  // Date text from the context, parsed first; nothing is set when it is
  // absent or does not parse.
  void answerDateFromText(const foundation::OptionalString& text);
  void answerTimestampFromText(const foundation::OptionalString& text);

  // Closes the call: when g_llasterror is not 0 the code goes to the error
  // object and the result becomes the error marker.
  void finish();

 private:
  Session& session_;
  fmx::DataVectRef params_;
  fmx::DataRef result_;
  uint32_t count_;
};

// Runs an external function's body in the session the environment names,
// so that nothing escapes into the host: a store exception becomes code 9999
// with its reason as the last-error text, any other exception -998; both
// answer the error marker. Always answers 0.
template <class Body>
FMX_Err runExternalFunction(const FM_ExprEnv* environment, FM_Data* result, Body&& body) noexcept;

// Record 9999 or -998 on the session (when there is one) and answer the
// marker.
void answerStoreException(Session& session, FM_Data* result, const CalendarStoreException& e) noexcept;
void answerUnknownException(Session* session, FM_Data* result) noexcept;

template <class Body>
FMX_Err runExternalFunction(const FM_ExprEnv* environment, FM_Data* result, Body&& body) noexcept {
  try {
    SessionScope scope(environment);
    try {
      body(scope.session());
    } catch (const CalendarStoreException& e) {
      answerStoreException(scope.session(), result, e);
    } catch (...) {
      answerUnknownException(&scope.session(), result);
    }
  } catch (...) {
    // No session to run in: the host could not name it, or the plug-in is
    // not started.
    answerUnknownException(nullptr, result);
  }
  return 0;
}

}  // namespace zylo

#endif  // ZYLO_FRAME_FUNCTION_FRAME_H_
