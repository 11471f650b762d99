#include "plugin/function_table.h"

#include <array>

#include "plugin/external_functions.h"

namespace zylo {
namespace {

// What the host calls: the function id it passes first is the one the
// function was registered under, so each wrapper knows its function already.
// The function itself runs in its session and lets nothing escape.
template <ExternalFunction F>
FMX_Err hostCall(int16_t /*functionId*/, const FM_ExprEnv* env, const FM_DataVect* parms,
                 FM_Data* result) noexcept {
  return F(env, parms, result);
}

}  // namespace

std::span<const FunctionEntry> functionTable() {
  static constexpr std::array<FunctionEntry, 16> kTable{{
      {151, hostCall<Zylo_Version>, 0, 1},
      {152, hostCall<Zylo_GetItemCountForType>, 1, 1},
      {153, hostCall<Zylo_OpenItemAt>, 2, 2},
      {154, hostCall<Zylo_OpenItemWithUID>, 2, 3},
      {155, hostCall<Zylo_GetProperty>, 2, 3},
      {156, hostCall<Zylo_EventsFetch>, 4, 4},
      {157, hostCall<Zylo_TasksFetch>, 3, 3},
      {158, hostCall<Zylo_CalOpenCalendarWithTitle>, 1, 1},
      {159, hostCall<Zylo_SetProperty>, 3, 3},
      {160, hostCall<Zylo_GetLastError>, 0, 1},
      {161, hostCall<Zylo_SaveItem>, 1, 2},
      {162, hostCall<Zylo_AddRecurrence>, 8, 8},
      {165, hostCall<Zylo_RemoveRecurrence>, 0, 0},
      {166, hostCall<Zylo_NewItem>, 1, 1},
      {167, hostCall<Zylo_RemoveItem>, 2, 4},
      {169, hostCall<Zylo_RegisterUpdateScript>, 2, 2},
  }};
  return kTable;
}

}  // namespace zylo
