// iCalendar text as content lines: unfolded, grouped into the blocks
// between BEGIN and END, and folded again for writing.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_CONTENT_LINES_H_
#define ZYLO_PLATFORM_CALENDARSTORE_CONTENT_LINES_H_

#include <string>
#include <string_view>
#include <vector>

namespace calendarstore {

// One BEGIN ... END block: its name ("VEVENT"), its property lines
// unfolded and in order, and the blocks inside it.
struct ContentBlock {
  std::string name;
  std::vector<std::string> lines;
  std::vector<ContentBlock> children;
};

// The top-level blocks of `text`; CR LF and LF both end a line, and a line
// starting with a space or tab continues the one before. Lines outside any
// block and a block missing its END are kept as if it were there.
std::vector<ContentBlock> contentBlocks(std::string_view text);

// The property name of a content line, upper-cased ("SUMMARY").
std::string propertyName(std::string_view line);

// Appends `line` with CR LF, folded so that no line exceeds 75 octets and
// no UTF-8 character is split.
void appendFolded(std::string& out, std::string_view line);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_CONTENT_LINES_H_
