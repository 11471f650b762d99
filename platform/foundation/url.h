// A URL made from text, as URLWithString: makes one.
#ifndef ZYLO_PLATFORM_FOUNDATION_URL_H_
#define ZYLO_PLATFORM_FOUNDATION_URL_H_

#include <optional>
#include <string_view>

#include "platform/foundation/string.h"

namespace foundation {

class Url {
 public:
  // None for text that is not a URL: empty, or holding characters a URL
  // cannot hold unescaped (spaces, control characters, <>"{}|\^`), or a
  // malformed percent escape or scheme. Characters outside ASCII are held
  // as they are, as in an internationalised address.
  static std::optional<Url> withString(std::u16string_view text);
  const String& absoluteString() const { return text_; }
  friend bool operator==(const Url&, const Url&) = default;

 private:
  explicit Url(String text) : text_(std::move(text)) {}
  String text_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_URL_H_
