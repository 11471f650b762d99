// The text an item file is written as. libical's own writing changes what
// it read in ways other programs notice: it splits "CATEGORIES:a,b" into
// one line per value, drops escaped commas, and adds X-LIC-ERROR lines for
// what it could not read. A file read for an edit is therefore written back
// property by property: every property the edit left as libical read it
// is written as the file held it, and only the changed ones as libical
// writes them.
//
// Not thread-safe: libical is called under the store's lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_ITEM_TEXT_H_
#define ZYLO_PLATFORM_CALENDARSTORE_ITEM_TEXT_H_

#include <libical/ical.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calendarstore {

// The text of a calendar written afresh: CR LF line ends, folded at 75
// octets.
std::string freshItemText(icalcomponent* calendar);

// What an item file held when it was read for an edit.
class OriginalText {
 public:
  // Marks every component of `parsed`, libical's reading of `bytes`, with
  // the block of `bytes` it came from (copies made later carry the mark
  // too). None when the blocks do not line up with libical's components;
  // the file is then written afresh.
  static std::optional<OriginalText> mark(icalcomponent* parsed, std::string_view bytes);

  // The text of `edited`, a calendar made of marked components, their
  // copies and new ones.
  std::string textOf(icalcomponent* edited) const;

 private:
  // One block: its lines as the file held them and as libical writes them
  // after reading, and after copying what it read (a copy can escape
  // differently), each by property name.
  struct Block {
    std::map<std::string, std::vector<std::string>> held, read, copied;
    std::vector<std::string> heldOrder;  // property names, first appearance
  };
  explicit OriginalText(std::vector<Block> blocks) : blocks_(std::move(blocks)) {}

  std::vector<Block> blocks_;  // in document order
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_ITEM_TEXT_H_
