# Writes the table of Windows zone names (and the names Windows shows for
# them) with the IANA zone CLDR maps each to, from CLDR's windowsZones.xml.
# Usage: cmake -DXML=windowsZones.xml -DOUT=table.cc -P windows_zones_table.cmake
file(STRINGS "${XML}" lines)
set(rows "")
set(shown "")
foreach(line IN LISTS lines)
  if(line MATCHES "<!-- (\\(UTC.*\\).*) -->")
    set(shown "${CMAKE_MATCH_1}")
  elseif(line MATCHES "other=\"([^\"]+)\" territory=\"001\" type=\"([^\" ]+)\"")
    string(APPEND rows "    {\"${CMAKE_MATCH_1}\", \"${shown}\", \"${CMAKE_MATCH_2}\"},\n")
  endif()
endforeach()
if(rows STREQUAL "")
  message(FATAL_ERROR "${XML} names no Windows zone")
endif()
file(WRITE "${OUT}" "// Made from ${XML} by windows_zones_table.cmake.
#include \"platform/calendarstore/windows_zones.h\"

namespace calendarstore {

const std::vector<WindowsZone>& windowsZones() {
  static const std::vector<WindowsZone> table{
${rows}  };
  return table;
}

}  // namespace calendarstore
")
