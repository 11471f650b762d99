// Splits a calculation into tokens, each with the column it starts at.
#ifndef ZYLO_HOST_LEXER_H_
#define ZYLO_HOST_LEXER_H_

#include <string>
#include <string_view>
#include <vector>

namespace zylo::host {

enum class TokenKind {
  kNumber,
  kText,
  kName,
  kVariable,  // $name or $$name
  kLeftParen,
  kRightParen,
  kSemicolon,
  kLeftBracket,
  kRightBracket,
  kPlus,
  kMinus,
  kStar,
  kSlash,
  kAmpersand,
  kEqual,
  kNotEqual,
  kLess,
  kGreater,
  kLessEqual,
  kGreaterEqual,
  kAnd,
  kOr,
  kNot,
  kEnd,
};

struct Token {
  TokenKind kind;
  // A number's digits, a text literal's value with its escapes resolved, a
  // name as written, or the operator's spelling.
  std::u16string text;
  int column = 1;
};

// The tokens of `source`, ending with kEnd; throws SyntaxError.
std::vector<Token> tokenize(std::u16string_view source);

}  // namespace zylo::host

#endif  // ZYLO_HOST_LEXER_H_
