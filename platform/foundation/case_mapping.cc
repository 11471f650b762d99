// Simple case mapping for the scripts the plug-in's users write calendar
// titles in: Basic Latin, Latin-1, Latin Extended-A, Greek and Cyrillic.
// Other characters, and every character outside the Basic Multilingual
// Plane, keep their case. The mapping never depends on the process locale.
#include <algorithm>
#include <optional>
#include <span>

#include "platform/foundation/string.h"

namespace foundation {
namespace {

// Capitals first..last map to lower case by adding `delta`; with stride 2
// only every other code point, starting at `first`, is a capital.
struct CaseRange {
  char16_t first, last;
  int delta;
  int stride;
};

constexpr CaseRange kCapitals[] = {
    {u'A', u'Z', 32, 1},           {u'\u00C0', u'\u00D6', 32, 1}, {u'\u00D8', u'\u00DE', 32, 1},
    {u'\u0100', u'\u012E', 1, 2},  {u'\u0132', u'\u0136', 1, 2},  {u'\u0139', u'\u0147', 1, 2},
    {u'\u014A', u'\u0176', 1, 2},  {u'\u0178', u'\u0178', -121, 1}, {u'\u0179', u'\u017D', 1, 2},
    {u'\u0386', u'\u0386', 38, 1}, {u'\u0388', u'\u038A', 37, 1}, {u'\u038C', u'\u038C', 64, 1},
    {u'\u038E', u'\u038F', 63, 1}, {u'\u0391', u'\u03A1', 32, 1}, {u'\u03A3', u'\u03AB', 32, 1},
    {u'\u0400', u'\u040F', 80, 1}, {u'\u0410', u'\u042F', 32, 1}, {u'\u0460', u'\u0480', 1, 2},
    {u'\u048A', u'\u04BE', 1, 2},  {u'\u04C0', u'\u04C0', 15, 1}, {u'\u04C1', u'\u04CD', 1, 2},
    {u'\u04D0', u'\u052E', 1, 2},
};

// Letters whose mapping one way has no inverse the other way.
struct OneWay {
  char16_t from, to;
};
constexpr OneWay kOnlyLowering[] = {{u'\u0130', u'i'}};  // İ
constexpr OneWay kOnlyRaising[] = {
    {u'\u00B5', u'\u039C'},  // micro sign
    {u'\u0131', u'I'},       // dotless i
    {u'\u017F', u'S'},       // long s
    {u'\u03C2', u'\u03A3'},  // final sigma
};

bool inRange(const CaseRange& r, char16_t c) {
  return c >= r.first && c <= r.last && (c - r.first) % r.stride == 0;
}

std::optional<char16_t> lookUp(std::span<const OneWay> table, char16_t c) {
  auto it = std::find_if(table.begin(), table.end(), [c](const OneWay& o) { return o.from == c; });
  if (it == table.end()) return std::nullopt;
  return it->to;
}

char16_t toLower(char16_t c) {
  for (const CaseRange& r : kCapitals) {
    if (inRange(r, c)) return static_cast<char16_t>(c + r.delta);
  }
  return c;
}

char16_t toUpper(char16_t c) {
  if (auto raised = lookUp(kOnlyRaising, c)) return *raised;
  for (const CaseRange& r : kCapitals) {
    const int capital = c - r.delta;
    if (capital >= 0 && inRange(r, static_cast<char16_t>(capital))) {
      return static_cast<char16_t>(capital);
    }
  }
  return c;
}

// Simple case folding: lower case, with the raise-only letters first taken
// to the capital they stand for (final sigma folds to sigma).
char16_t fold(char16_t c) {
  if (c == u'\u0131') return c;  // dotless i has no folding of its own
  if (auto raised = lookUp(kOnlyRaising, c)) return toLower(*raised);
  return toLower(c);
}

template <typename Map>
String mapped(std::u16string_view s, Map map) {
  String out(s);
  std::transform(out.begin(), out.end(), out.begin(), map);
  return out;
}

}  // namespace

String lowercased(std::u16string_view s) {
  return mapped(s, [](char16_t c) { return lookUp(kOnlyLowering, c).value_or(toLower(c)); });
}

String uppercased(std::u16string_view s) { return mapped(s, toUpper); }

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

}  // namespace foundation
