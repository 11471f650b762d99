// A reader's keywords and how each reads its value from an item, looked up
// by exact keyword.
#ifndef ZYLO_CALENDAR_ATTRIBUTE_TABLE_H_
#define ZYLO_CALENDAR_ATTRIBUTE_TABLE_H_

#include <algorithm>
#include <span>
#include <string_view>

#include "platform/foundation/string.h"
#include "platform/foundation/time_zone.h"

namespace zylo {

template <class Item>
struct Attribute {
  std::u16string_view keyword;
  // Dates are written in `zone`; none for an empty property.
  foundation::OptionalString (*read)(const Item& item, const foundation::TimeZone& zone);
};

// The attribute named exactly `keyword`, or null.
template <class Item>
const Attribute<Item>* findAttribute(std::span<const Attribute<Item>> table,
                                     std::u16string_view keyword) {
  auto it = std::find_if(table.begin(), table.end(),
                         [&](const Attribute<Item>& a) { return a.keyword == keyword; });
  return it == table.end() ? nullptr : &*it;
}

}  // namespace zylo

#endif  // ZYLO_CALENDAR_ATTRIBUTE_TABLE_H_
