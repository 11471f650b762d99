#include "platform/calendarstore/document_order.h"

#include <functional>

namespace calendarstore {

std::vector<icalcomponent*> inDocumentOrder(icalcomponent* root) {
  std::vector<icalcomponent*> list;
  std::function<void(icalcomponent*)> visit = [&](icalcomponent* c) {
    list.push_back(c);
    for (icalcomponent* child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
      visit(child);
    }
  };
  visit(root);
  return list;
}

std::vector<const ContentBlock*> inDocumentOrder(const std::vector<ContentBlock>& blocks) {
  std::vector<const ContentBlock*> list;
  std::function<void(const ContentBlock&)> visit = [&](const ContentBlock& b) {
    list.push_back(&b);
    for (const ContentBlock& child : b.children) visit(child);
  };
  for (const ContentBlock& b : blocks) visit(b);
  return list;
}

}  // namespace calendarstore
