// An item file's record as bytes, so that the store's index can hand it
// back to a later process without parsing the file again.
//
// The bytes name zones, not their rules: the default zone, UTC or a zone of
// the system's zoneinfo by name. A record with a time in a zone known only
// from the file's own VTIMEZONE has no bytes (the file is parsed instead).
// The bytes end with a checksum; damaged or foreign bytes decode to nothing.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_CODEC_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_CODEC_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/calendarstore/item_record.h"
#include "platform/calendarstore/zone_table.h"

namespace calendarstore {

// What the store knows of one file's contents: an item, or why it is none.
struct FileContents {
  std::optional<ItemRecord> item;
  std::string problem;
};

// `item`, or when it is null `problem`; none when a time's zone cannot be
// named (see above).
std::optional<std::string> encodeContents(const ItemRecord* item, std::string_view problem,
                                          const ZoneTable& zones);
// The record's `rule` is made again from its RRULE text.
std::optional<FileContents> decodeContents(std::string_view bytes, ZoneTable& zones);

// FNV-1a, 64 bits: the checksum of the bytes, and of a file's contents.
uint64_t fingerprintOf(std::string_view bytes);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_CODEC_H_
