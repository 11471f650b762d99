// The components of a parsed calendar and the blocks of its text, each in
// the order the file writes them (a block before the blocks inside it), so
// that the two can be laid side by side.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_DOCUMENT_ORDER_H_
#define ZYLO_PLATFORM_CALENDARSTORE_DOCUMENT_ORDER_H_

#include <libical/ical.h>

#include <vector>

#include "platform/calendarstore/content_lines.h"

namespace calendarstore {

std::vector<icalcomponent*> inDocumentOrder(icalcomponent* root);
std::vector<const ContentBlock*> inDocumentOrder(const std::vector<ContentBlock>& blocks);

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_DOCUMENT_ORDER_H_
