#include "plugin/function_table.h"

#include <array>

#include "plugin/external_functions.h"

namespace zylo {

std::span<const FunctionEntry> functionTable() {
  static constexpr std::array<FunctionEntry, 16> kTable{{
      {151, Zylo_Version, 0, 1},
      {152, Zylo_GetItemCountForType, 1, 1},
      {153, Zylo_OpenItemAt, 2, 2},
      {154, Zylo_OpenItemWithUID, 2, 3},
      {155, Zylo_GetProperty, 2, 3},
      {156, Zylo_EventsFetch, 4, 4},
      {157, Zylo_TasksFetch, 3, 3},
      {158, Zylo_CalOpenCalendarWithTitle, 1, 1},
      {159, Zylo_SetProperty, 3, 3},
      {160, Zylo_GetLastError, 0, 1},
      {161, Zylo_SaveItem, 1, 2},
      {162, Zylo_AddRecurrence, 8, 8},
      {165, Zylo_RemoveRecurrence, 0, 0},
      {166, Zylo_NewItem, 1, 1},
      {167, Zylo_RemoveItem, 2, 4},
      {169, Zylo_RegisterUpdateScript, 2, 2},
  }};
  return kTable;
}

}  // namespace zylo
