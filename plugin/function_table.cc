#include "plugin/function_table.h"

#include <array>

#include "plugin/external_functions.h"
#include "plugin/plugin_lock.h"

namespace zylo {
namespace {

// What the host calls: the function id it passes first is the one the
// function was registered under, so each wrapper knows its function already.
template <ExternalFunction F>
FMX_Err serialized(int16_t /*functionId*/, const FM_ExprEnv* env, const FM_DataVect* parms,
                   FM_Data* result) noexcept {
  try {
    std::lock_guard guard(pluginLock());
    return F(env, parms, result);
  } catch (...) {
    // Only taking the lock can throw here; nothing ran.
    return kFMX_Failure;
  }
}

}  // namespace

std::span<const FunctionEntry> functionTable() {
  static constexpr std::array<FunctionEntry, 16> kTable{{
      {151, serialized<Zylo_Version>, 0, 1},
      {152, serialized<Zylo_GetItemCountForType>, 1, 1},
      {153, serialized<Zylo_OpenItemAt>, 2, 2},
      {154, serialized<Zylo_OpenItemWithUID>, 2, 3},
      {155, serialized<Zylo_GetProperty>, 2, 3},
      {156, serialized<Zylo_EventsFetch>, 4, 4},
      {157, serialized<Zylo_TasksFetch>, 3, 3},
      {158, serialized<Zylo_CalOpenCalendarWithTitle>, 1, 1},
      {159, serialized<Zylo_SetProperty>, 3, 3},
      {160, serialized<Zylo_GetLastError>, 0, 1},
      {161, serialized<Zylo_SaveItem>, 1, 2},
      {162, serialized<Zylo_AddRecurrence>, 8, 8},
      {165, serialized<Zylo_RemoveRecurrence>, 0, 0},
      {166, serialized<Zylo_NewItem>, 1, 1},
      {167, serialized<Zylo_RemoveItem>, 2, 4},
      {169, serialized<Zylo_RegisterUpdateScript>, 2, 2},
  }};
  return kTable;
}

}  // namespace zylo
