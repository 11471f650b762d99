// Functions registered ahead of the calendar operations they will call.
// Until then each follows the frame and fails with "System Error".
#include "errors/error_codes.h"
#include "errors/last_error.h"
#include "frame/function_frame.h"
#include "plugin/external_functions.h"

namespace zylo {
namespace {

FMX_Err notAvailableYet(const FM_DataVect* parms, FM_Data* result) {
  return runExternalFunction(result, [&] {
    FunctionFrame frame(parms, result);
    frame.clearErrors();
    if (!frame.unsupportedSystem()) g_llasterror = kSystemError;
    frame.finish();
  });
}

}  // namespace

#define ZYLO_PENDING(name) \
  FMX_Err name(const FM_ExprEnv*, const FM_DataVect* parms, FM_Data* result) { \
    return notAvailableYet(parms, result);                                        \
  }

ZYLO_PENDING(Zylo_NewItem)
ZYLO_PENDING(Zylo_SetProperty)
ZYLO_PENDING(Zylo_SaveItem)
ZYLO_PENDING(Zylo_RemoveItem)
ZYLO_PENDING(Zylo_AddRecurrence)
ZYLO_PENDING(Zylo_RemoveRecurrence)

}  // namespace zylo
