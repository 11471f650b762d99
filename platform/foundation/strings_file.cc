#include "platform/foundation/strings_file.h"

namespace foundation {
namespace {

String decode(std::string_view bytes) {
  auto utf16 = [&](bool bigEndian) {
    String units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
      const auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
      units.push_back(static_cast<char16_t>(hi << 8 | lo));
    }
    return units;
  };
  if (bytes.starts_with("\xFF\xFE")) return utf16(false);
  if (bytes.starts_with("\xFE\xFF")) return utf16(true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return fromUtf8(bytes);
}

class Parser {
 public:
  explicit Parser(std::u16string_view text) : text_(text) {}

  std::optional<StringsTable> table() {
    StringsTable entries;
    while (skipBlankAndComments(), at_ < text_.size()) {
      auto key = quoted();
      if (!key || !(skipBlankAndComments(), expect(u'='))) return std::nullopt;
      skipBlankAndComments();
      auto value = quoted();
      if (!value || !(skipBlankAndComments(), expect(u';'))) return std::nullopt;
      entries.insert_or_assign(std::move(*key), std::move(*value));
    }
    if (broken_) return std::nullopt;
    return entries;
  }

 private:
  bool expect(char16_t c) {
    if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
    return false;
  }

  void skipBlankAndComments() {
    for (;;) {
      while (at_ < text_.size() && (text_[at_] == u' ' || (text_[at_] >= u'\t' && text_[at_] <= u'\r'))) ++at_;
      const auto rest = text_.substr(at_);
      if (rest.starts_with(u"//")) {
        const size_t end = text_.find(u'\n', at_);
        at_ = end == std::u16string_view::npos ? text_.size() : end;
      } else if (rest.starts_with(u"/*")) {
        const size_t end = text_.find(u"*/", at_ + 2);
        if (end == std::u16string_view::npos) broken_ = true;
        at_ = end == std::u16string_view::npos ? text_.size() : end + 2;
      } else {
        return;
      }
    }
  }

  std::optional<String> quoted() {
    if (!expect(u'"')) return std::nullopt;
    String out;
    while (at_ < text_.size()) {
      const char16_t c = text_[at_++];
      if (c == u'"') return out;
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (at_ >= text_.size()) return std::nullopt;
      const char16_t e = text_[at_++];
      switch (e) {
        case u'n': out.push_back(u'\n'); break;
        case u't': out.push_back(u'\t'); break;
        case u'r': out.push_back(u'\r'); break;
        case u'U': {
          if (at_ + 4 > text_.size()) return std::nullopt;
          char16_t unit = 0;
          for (int k = 0; k < 4; ++k) {
            const char16_t h = text_[at_++];
            const int digit = h >= u'0' && h <= u'9'   ? h - u'0'
                              : h >= u'a' && h <= u'f' ? h - u'a' + 10
                              : h >= u'A' && h <= u'F' ? h - u'A' + 10
                                                       : -1;
            if (digit < 0) return std::nullopt;
            unit = static_cast<char16_t>(unit * 16 + digit);
          }
          out.push_back(unit);
          break;
        }
        default: out.push_back(e);
      }
    }
    return std::nullopt;
  }

  std::u16string_view text_;
  size_t at_ = 0;
  bool broken_ = false;
};

}  // namespace

std::optional<StringsTable> parseStringsFile(std::string_view bytes) {
  const String text = decode(bytes);
  return Parser(text).table();
}

}  // namespace foundation
