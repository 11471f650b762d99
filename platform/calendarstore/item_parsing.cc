#include "platform/calendarstore/item_parsing.h"

#include <string>
#include <vector>

#include "platform/calendarstore/content_lines.h"
#include "platform/calendarstore/document_order.h"

namespace calendarstore {
namespace {

constexpr icalproperty_kind kTextKinds[] = {ICAL_SUMMARY_PROPERTY, ICAL_DESCRIPTION_PROPERTY,
                                            ICAL_LOCATION_PROPERTY};
constexpr std::string_view kBlanks = " \t";

bool itemKind(icalcomponent_kind k) { return k == ICAL_VEVENT_COMPONENT || k == ICAL_VTODO_COMPONENT; }

std::vector<icalcomponent*> itemComponents(icalcomponent* root) {
  std::vector<icalcomponent*> list = inDocumentOrder(root);
  std::erase_if(list, [](icalcomponent* c) { return !itemKind(icalcomponent_isa(c)); });
  return list;
}

std::vector<const ContentBlock*> itemBlocks(const std::vector<ContentBlock>& blocks) {
  std::vector<const ContentBlock*> list = inDocumentOrder(blocks);
  std::erase_if(list, [](const ContentBlock* b) { return b->name != "VEVENT" && b->name != "VTODO"; });
  return list;
}

// The value of a content line: after the first colon outside a quoted
// parameter value.
std::string_view valueOf(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return line.substr(i + 1);
  }
  return {};
}

std::string unescaped(std::string_view raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    const char next = raw[++i];
    out += next == 'n' || next == 'N' ? '\n' : next;
  }
  return out;
}

std::string_view trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Gives `p` the value `raw` when libical's value is `raw` trimmed.
void restoreBlanks(icalproperty* p, std::string_view raw) {
  if (trimmed(raw).size() == raw.size()) return;
  icalvalue* v = icalproperty_get_value(p);
  if (v == nullptr || icalvalue_isa(v) != ICAL_TEXT_VALUE || icalvalue_get_text(v) == nullptr) return;
  if (unescaped(trimmed(raw)) != icalvalue_get_text(v)) return;
  icalvalue_set_text(v, unescaped(raw).c_str());
}

void restoreTexts(icalcomponent* c, const ContentBlock& block) {
  for (icalproperty_kind kind : kTextKinds) {
    const std::string name = icalproperty_kind_to_string(kind);
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    for (const std::string& line : block.lines) {
      if (p == nullptr) break;
      if (propertyName(line) != name) continue;
      restoreBlanks(p, valueOf(line));
      p = icalcomponent_get_next_property(c, kind);
    }
  }
}

// Cheaply: whether some value may open or close with a blank (a blank
// after a colon, or before a line break or the end).
bool mayHoldEdgeBlanks(std::string_view bytes) {
  for (std::string_view edge : {": ", ":\t", " \r", "\t\r", " \n", "\t\n"}) {
    if (bytes.find(edge) != std::string_view::npos) return true;
  }
  return !bytes.empty() && kBlanks.find(bytes.back()) != std::string_view::npos;
}

}  // namespace

ComponentPtr parseItemText(std::string_view bytes) {
  const std::string text(bytes);
  ComponentPtr calendar(icalparser_parse_string(text.c_str()));
  if (!calendar || !mayHoldEdgeBlanks(bytes)) return calendar;
  const std::vector<ContentBlock> blocks = contentBlocks(bytes);
  const auto held = itemBlocks(blocks);
  const auto read = itemComponents(calendar.get());
  if (held.size() != read.size()) return calendar;
  for (size_t i = 0; i < held.size(); ++i) {
    if (held[i]->name != icalcomponent_kind_to_string(icalcomponent_isa(read[i]))) return calendar;
  }
  for (size_t i = 0; i < held.size(); ++i) restoreTexts(read[i], *held[i]);
  return calendar;
}

}  // namespace calendarstore
