// The external functions: each is registered behind a wrapper with the
// host's signature (function id first) that serializes it; they answer 0.
#ifndef ZYLO_PLUGIN_EXTERNAL_FUNCTIONS_H_
#define ZYLO_PLUGIN_EXTERNAL_FUNCTIONS_H_

#include "platform/fmx/fmx_abi.h"

namespace zylo {

using ExternalFunction = FMX_Err (*)(const FM_ExprEnv* env, const FM_DataVect* parms,
                                     FM_Data* result);

#define ZYLO_EXTERNAL_FUNCTION(name) \
  FMX_Err name(const FM_ExprEnv* env, const FM_DataVect* parms, FM_Data* result)

ZYLO_EXTERNAL_FUNCTION(Zylo_Version);
ZYLO_EXTERNAL_FUNCTION(Zylo_GetLastError);
ZYLO_EXTERNAL_FUNCTION(Zylo_GetItemCountForType);
ZYLO_EXTERNAL_FUNCTION(Zylo_OpenItemAt);
ZYLO_EXTERNAL_FUNCTION(Zylo_OpenItemWithUID);
ZYLO_EXTERNAL_FUNCTION(Zylo_CalOpenCalendarWithTitle);
ZYLO_EXTERNAL_FUNCTION(Zylo_EventsFetch);
ZYLO_EXTERNAL_FUNCTION(Zylo_TasksFetch);
ZYLO_EXTERNAL_FUNCTION(Zylo_GetProperty);
ZYLO_EXTERNAL_FUNCTION(Zylo_NewItem);
ZYLO_EXTERNAL_FUNCTION(Zylo_SetProperty);
ZYLO_EXTERNAL_FUNCTION(Zylo_SaveItem);
ZYLO_EXTERNAL_FUNCTION(Zylo_RemoveItem);
ZYLO_EXTERNAL_FUNCTION(Zylo_AddRecurrence);
ZYLO_EXTERNAL_FUNCTION(Zylo_RemoveRecurrence);
ZYLO_EXTERNAL_FUNCTION(Zylo_RegisterUpdateScript);

}  // namespace zylo

#endif  // ZYLO_PLUGIN_EXTERNAL_FUNCTIONS_H_
