# Writes OUTPUT, a C++ source whose builtInStringsFile() answers the bytes of
# INPUT: cmake -DINPUT=... -DOUTPUT=... -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} at build time; edit that file instead.
#include \"plugin/string_table.h\"

namespace zylo {
namespace {
constexpr char kBytes[] = {${bytes}'\\0'};
}  // namespace

std::string_view builtInStringsFile() { return {kBytes, ${size}}; }

}  // namespace zylo
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
