#include "host/lexer.h"

#include "host/calc_error.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

constexpr char16_t kPilcrow = u'\u00B6';
constexpr char16_t kReturn = u'\r';

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool startsName(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_') return true;
  // Letters of other scripts; the operators written with non-ASCII signs excluded.
  return c >= 0x80 && c != kPilcrow && c != u'\u2260' && c != u'\u2264' && c != u'\u2265';
}

class Lexer {
 public:
  explicit Lexer(std::u16string_view source) : source_(source) {}

  std::vector<Token> run() {
    std::vector<Token> tokens;
    for (skipSpace(); pos_ < source_.size(); skipSpace()) tokens.push_back(next());
    tokens.push_back({TokenKind::kEnd, u"", column_});
    return tokens;
  }

 private:
  char16_t peek(size_t ahead = 0) const {
    return pos_ + ahead < source_.size() ? source_[pos_ + ahead] : u'\0';
  }

  // Columns count characters: the second half of a surrogate pair adds none.
  char16_t advance() {
    char16_t c = source_[pos_++];
    if (c < 0xDC00 || c > 0xDFFF) ++column_;
    return c;
  }

  bool accept(char16_t c) {
    if (peek() != c) return false;
    advance();
    return true;
  }

  void skipSpace() {
    while (pos_ < source_.size() &&
           (peek() == u' ' || peek() == u'\t' || peek() == u'\n' || peek() == kReturn))
      advance();
  }

  Token next() {
    int column = column_;
    char16_t c = peek();
    if (isDigit(c) || (c == u'.' && isDigit(peek(1)))) return number(column);
    if (c == u'"') return text(column);
    if (startsName(c)) return name(column);
    if (c == u'$') return variable(column);
    advance();
    switch (c) {
      case u'(': return {TokenKind::kLeftParen, u"(", column};
      case u')': return {TokenKind::kRightParen, u")", column};
      case u';': return {TokenKind::kSemicolon, u";", column};
      case u'[': return {TokenKind::kLeftBracket, u"[", column};
      case u']': return {TokenKind::kRightBracket, u"]", column};
      case u'+': return {TokenKind::kPlus, u"+", column};
      case u'-': return {TokenKind::kMinus, u"-", column};
      case u'*': return {TokenKind::kStar, u"*", column};
      case u'/': return {TokenKind::kSlash, u"/", column};
      case u'&': return {TokenKind::kAmpersand, u"&", column};
      case u'=': return {TokenKind::kEqual, u"=", column};
      case u'\u2260': return {TokenKind::kNotEqual, u"\u2260", column};
      case u'\u2264': return {TokenKind::kLessEqual, u"\u2264", column};
      case u'\u2265': return {TokenKind::kGreaterEqual, u"\u2265", column};
      case kPilcrow: return {TokenKind::kText, std::u16string(1, kReturn), column};
      case u'<':
        if (accept(u'>')) return {TokenKind::kNotEqual, u"<>", column};
        if (accept(u'=')) return {TokenKind::kLessEqual, u"<=", column};
        return {TokenKind::kLess, u"<", column};
      case u'>':
        if (accept(u'=')) return {TokenKind::kGreaterEqual, u">=", column};
        return {TokenKind::kGreater, u">", column};
      default:
        throw SyntaxError(column, "unexpected character");
    }
  }

  Token number(int column) {
    std::u16string digits;
    while (isDigit(peek())) digits += advance();
    if (peek() == u'.') {
      digits += advance();
      while (isDigit(peek())) digits += advance();
    }
    return {TokenKind::kNumber, digits, column};
  }

  // Inside quotes \" is a quote, \\ a backslash, \¶ a pilcrow and a bare ¶
  // a carriage return; any other backslash is kept as written.
  Token text(int column) {
    advance();
    std::u16string value;
    while (pos_ < source_.size()) {
      char16_t c = advance();
      if (c == u'"') return {TokenKind::kText, value, column};
      if (c == kPilcrow) {
        value += kReturn;
      } else if (c == u'\\' && (peek() == u'"' || peek() == u'\\' || peek() == kPilcrow)) {
        value += advance();
      } else {
        value += c;
      }
    }
    throw SyntaxError(column, "text without a closing quote");
  }

  Token name(int column) {
    std::u16string value;
    while (pos_ < source_.size() && (startsName(peek()) || isDigit(peek()))) value += advance();
    if (foundation::equalsIgnoringCase(value, u"and")) return {TokenKind::kAnd, value, column};
    if (foundation::equalsIgnoringCase(value, u"or")) return {TokenKind::kOr, value, column};
    if (foundation::equalsIgnoringCase(value, u"not")) return {TokenKind::kNot, value, column};
    return {TokenKind::kName, value, column};
  }

  Token variable(int column) {
    std::u16string value(1, advance());
    if (peek() == u'$') value += advance();
    if (!startsName(peek())) throw SyntaxError(column, "a variable needs a name after \"$\"");
    while (pos_ < source_.size() && (startsName(peek()) || isDigit(peek()))) value += advance();
    return {TokenKind::kVariable, value, column};
  }

  std::u16string_view source_;
  size_t pos_ = 0;
  int column_ = 1;
};

}  // namespace

std::vector<Token> tokenize(std::u16string_view source) { return Lexer(source).run(); }

}  // namespace zylo::host
