#include "platform/calendarstore/text_forms.h"

namespace calendarstore {
namespace {

// Replaces CR LF, CR and LF by `lineBreak`.
template <class Char>
std::basic_string<Char> withLineBreaks(std::basic_string_view<Char> text, Char lineBreak) {
  std::basic_string<Char> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    if (c == Char('\r') || c == Char('\n')) {
      out += lineBreak;
      if (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ++i;
    } else {
      out += c;
    }
  }
  return out;
}

bool forbiddenControl(char16_t c) { return (c < 0x20 && c != u'\t' && c != u'\n') || c == 0x7F; }

}  // namespace

std::string fileText(std::u16string_view hostText) {
  foundation::String text = withLineBreaks(hostText, u'\n');
  std::erase_if(text, forbiddenControl);
  return foundation::toUtf8(text);
}

foundation::String hostText(std::string_view fileText) {
  return foundation::fromUtf8(withLineBreaks(fileText, '\r'));
}

}  // namespace calendarstore
