// The plug-in's numbered texts (function prototypes, its name, description
// and options), kept in its string table "Zylo" (string_table.h) under the
// keys "Zylo <number>".
#ifndef ZYLO_PLUGIN_STRING_RESOURCES_H_
#define ZYLO_PLUGIN_STRING_RESOURCES_H_

#include <cstdint>

#include "platform/fmx/fmx.h"

namespace zylo {

// Copies entry n, zero-terminated, into `buffer` when it fits in fewer than
// `capacity - 1` units, and answers its length. Answers 0 when the entry is
// missing or too long (never truncated), having written the empty text when
// the buffer holds at least one unit; a null buffer is not touched.
int32_t Sub_OSXLoadString(uint32_t n, FMX_Unichar* buffer, int32_t capacity);

// The host's string request: number 131 is answered with string 1.
void Do_GetString(uint32_t n, uint32_t language, int32_t capacity, FMX_Unichar* buffer);
// Fills a host text; with `strip`, only the part before the first "(".
// A missing or too long entry gives the empty text.
void Do_GetString(uint32_t n, fmx::Text& text, bool strip);

}  // namespace zylo

#endif  // ZYLO_PLUGIN_STRING_RESOURCES_H_
