#include "platform/calendarstore/item_text.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

#include "platform/calendarstore/content_lines.h"
#include "platform/calendarstore/document_order.h"
#include "platform/calendarstore/ical_ptr.h"

namespace calendarstore {
namespace {

constexpr const char* kMark = "X-ZYLO-ORIGIN";


void removeMarks(icalcomponent* c) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;) {
    icalproperty* next = icalcomponent_get_next_property(c, ICAL_X_PROPERTY);
    if (icalproperty_get_x_name(p) && std::string_view(icalproperty_get_x_name(p)) == kMark) {
      icalcomponent_remove_property(c, p);
      icalproperty_free(p);
    }
    p = next;
  }
}

std::string libicalText(icalcomponent* c) { return takeText(icalcomponent_as_ical_string_r(c)); }

std::map<std::string, std::vector<std::string>> byName(const std::vector<std::string>& lines) {
  std::map<std::string, std::vector<std::string>> groups;
  for (const std::string& line : lines) groups[propertyName(line)].push_back(line);
  return groups;
}

// The block index a mark line names, or -1.
long markOf(const ContentBlock& b) {
  const std::string prefix = std::string(kMark) + ":";
  for (const std::string& line : b.lines) {
    if (line.starts_with(prefix)) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  }
  return -1;
}

void appendBlock(std::string& out, const ContentBlock& b, const std::vector<std::string>& lines) {
  appendFolded(out, "BEGIN:" + b.name);
  for (const std::string& line : lines) appendFolded(out, line);
}

}  // namespace

std::string freshItemText(icalcomponent* calendar) {
  std::string out;
  std::function<void(const ContentBlock&)> append = [&](const ContentBlock& b) {
    appendBlock(out, b, b.lines);
    for (const ContentBlock& child : b.children) append(child);
    appendFolded(out, "END:" + b.name);
  };
  for (const ContentBlock& b : contentBlocks(libicalText(calendar))) append(b);
  return out;
}

std::optional<OriginalText> OriginalText::mark(icalcomponent* parsed, std::string_view bytes) {
  if (parsed == nullptr) return std::nullopt;
  const std::vector<icalcomponent*> components = inDocumentOrder(parsed);
  for (size_t i = 0; i < components.size(); ++i) {
    removeMarks(components[i]);
    icalproperty* mark = icalproperty_new_x(std::to_string(i).c_str());
    icalproperty_set_x_name(mark, kMark);
    icalcomponent_add_property(components[i], mark);
  }
  const std::vector<ContentBlock> heldBlocks = contentBlocks(bytes);
  const std::vector<ContentBlock> readBlocks = contentBlocks(libicalText(parsed));
  const ComponentPtr copy(icalcomponent_new_clone(parsed));
  const std::vector<ContentBlock> copiedBlocks = contentBlocks(libicalText(copy.get()));
  const auto held = inDocumentOrder(heldBlocks);
  const auto read = inDocumentOrder(readBlocks);
  const auto copied = inDocumentOrder(copiedBlocks);
  bool lineUp = held.size() == components.size() && read.size() == components.size() &&
                copied.size() == components.size();
  for (size_t i = 0; lineUp && i < held.size(); ++i) {
    lineUp = held[i]->name == read[i]->name && markOf(*read[i]) == static_cast<long>(i);
  }
  if (!lineUp) {
    for (icalcomponent* c : components) removeMarks(c);
    return std::nullopt;
  }
  std::vector<Block> blocks(held.size());
  for (size_t i = 0; i < held.size(); ++i) {
    blocks[i].held = byName(held[i]->lines);
    blocks[i].read = byName(read[i]->lines);
    blocks[i].copied = byName(copied[i]->lines);
    for (const std::string& line : held[i]->lines) {
      const std::string name = propertyName(line);
      if (blocks[i].heldOrder.empty() || std::find(blocks[i].heldOrder.begin(), blocks[i].heldOrder.end(),
                                                   name) == blocks[i].heldOrder.end()) {
        blocks[i].heldOrder.push_back(name);
      }
    }
  }
  return OriginalText(std::move(blocks));
}

std::string OriginalText::textOf(icalcomponent* edited) const {
  std::string out;
  std::function<void(const ContentBlock&)> append = [&](const ContentBlock& b) {
    const long mark = markOf(b);
    auto now = byName(b.lines);
    now.erase(kMark);
    std::vector<std::string> lines;
    if (mark < 0 || static_cast<size_t>(mark) >= blocks_.size()) {
      for (const auto& line : b.lines) {
        if (propertyName(line) != kMark) lines.push_back(line);
      }
    } else {
      const Block& origin = blocks_[mark];
      std::set<std::string> done{kMark};
      auto take = [&](const std::string& name) {
        if (!done.insert(name).second) return;
        static const std::vector<std::string> kNone;
        auto find = [&](const std::map<std::string, std::vector<std::string>>& m) -> const auto& {
          auto it = m.find(name);
          return it == m.end() ? kNone : it->second;
        };
        const auto& current = find(now);
        // Unchanged since it was read: as the file held it.
        const bool unchanged = current == find(origin.read) || current == find(origin.copied);
        const auto& chosen = unchanged ? find(origin.held) : current;
        lines.insert(lines.end(), chosen.begin(), chosen.end());
      };
      for (const std::string& name : origin.heldOrder) take(name);
      for (const std::string& line : b.lines) take(propertyName(line));
    }
    appendBlock(out, b, lines);
    for (const ContentBlock& child : b.children) append(child);
    appendFolded(out, "END:" + b.name);
  };
  for (const ContentBlock& b : contentBlocks(libicalText(edited))) append(b);
  return out;
}

}  // namespace calendarstore
