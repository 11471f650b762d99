// Replaces a file so that a crash at any moment leaves either the old file
// or the new one: a hidden temporary file in the same folder, flushed,
// renamed over the old one, and the folder flushed.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ATOMIC_WRITE_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ATOMIC_WRITE_H_

#include <filesystem>
#include <string_view>

#include "platform/calendarstore/file_system.h"

namespace calendarstore {

// Answers 0 once the new file is in place, or the errno of the step that
// failed; a failed write removes its temporary file and leaves the old file
// as it was.
int writeAtomically(FileSystem& files, const std::filesystem::path& target, std::string_view bytes);

// The temporary files this store makes start with this; with their leading
// dot they are never taken for items.
inline constexpr std::string_view kTemporaryPrefix = ".zylo-";

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ATOMIC_WRITE_H_
