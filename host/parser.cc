#include "host/parser.h"

#include <optional>

#include "host/calc_error.h"
#include "host/lexer.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

ExprPtr node(int column, auto content) {
  return std::make_unique<const Expr>(Expr{std::move(content), column});
}

std::optional<BinaryOp> comparison(TokenKind kind) {
  switch (kind) {
    case TokenKind::kEqual: return BinaryOp::kEqual;
    case TokenKind::kNotEqual: return BinaryOp::kNotEqual;
    case TokenKind::kLess: return BinaryOp::kLess;
    case TokenKind::kGreater: return BinaryOp::kGreater;
    case TokenKind::kLessEqual: return BinaryOp::kLessEqual;
    case TokenKind::kGreaterEqual: return BinaryOp::kGreaterEqual;
    default: return std::nullopt;
  }
}

// Deeper than this a calculation is refused: the parser and the evaluator
// recurse once per level, and the host's stack must never run out.
constexpr int kMaxNesting = 200;

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  ExprPtr run() {
    ExprPtr e = orExpr();
    if (peek().kind != TokenKind::kEnd) throw unexpected();
    return e;
  }

 private:
  const Token& peek() const { return tokens_[pos_]; }
  const Token& take() { return tokens_[pos_++]; }
  bool accept(TokenKind kind) {
    if (peek().kind != kind) return false;
    ++pos_;
    return true;
  }

  SyntaxError unexpected() const {
    const Token& t = peek();
    if (t.kind == TokenKind::kEnd) return {t.column, "unexpected end of calculation"};
    if (t.kind == TokenKind::kText) return {t.column, "unexpected text"};
    return {t.column, "unexpected \"" + foundation::toUtf8(t.text) + "\""};
  }

  ExprPtr binary(BinaryOp op, ExprPtr left, ExprPtr right) {
    int column = left->column;
    return node(column, Binary{op, std::move(left), std::move(right)});
  }

  // Counts one level of nesting for as long as it lives.
  class Deeper {
   public:
    explicit Deeper(Parser& p) : p_(p) {
      if (++p_.depth_ > kMaxNesting) throw SyntaxError(p_.peek().column, "calculation nested too deeply");
    }
    ~Deeper() { --p_.depth_; }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

   private:
    Parser& p_;
  };

  ExprPtr orExpr() {
    Deeper deeper(*this);
    ExprPtr e = andExpr();
    while (accept(TokenKind::kOr)) e = binary(BinaryOp::kOr, std::move(e), andExpr());
    return e;
  }

  ExprPtr andExpr() {
    ExprPtr e = comparisonExpr();
    while (accept(TokenKind::kAnd)) e = binary(BinaryOp::kAnd, std::move(e), comparisonExpr());
    return e;
  }

  ExprPtr comparisonExpr() {
    ExprPtr e = concatenation();
    while (std::optional<BinaryOp> op = comparison(peek().kind)) {
      ++pos_;
      e = binary(*op, std::move(e), concatenation());
    }
    return e;
  }

  ExprPtr concatenation() {
    ExprPtr e = sum();
    while (accept(TokenKind::kAmpersand)) e = binary(BinaryOp::kConcatenate, std::move(e), sum());
    return e;
  }

  ExprPtr sum() {
    ExprPtr e = product();
    for (;;) {
      if (accept(TokenKind::kPlus)) {
        e = binary(BinaryOp::kAdd, std::move(e), product());
      } else if (accept(TokenKind::kMinus)) {
        e = binary(BinaryOp::kSubtract, std::move(e), product());
      } else {
        return e;
      }
    }
  }

  ExprPtr product() {
    ExprPtr e = unary();
    for (;;) {
      if (accept(TokenKind::kStar)) {
        e = binary(BinaryOp::kMultiply, std::move(e), unary());
      } else if (accept(TokenKind::kSlash)) {
        e = binary(BinaryOp::kDivide, std::move(e), unary());
      } else {
        return e;
      }
    }
  }

  ExprPtr unary() {
    Deeper deeper(*this);
    int column = peek().column;
    if (accept(TokenKind::kMinus)) return node(column, Unary{UnaryOp::kNegate, unary()});
    if (accept(TokenKind::kNot)) return node(column, Unary{UnaryOp::kNot, unary()});
    return primary();
  }

  ExprPtr primary() {
    const Token& t = peek();
    switch (t.kind) {
      case TokenKind::kNumber:
        ++pos_;
        return node(t.column, Literal{{*fmxhost::Number::fromText(t.text)}});
      case TokenKind::kText:
        ++pos_;
        return node(t.column, Literal{{t.text}});
      case TokenKind::kName:
        ++pos_;
        if (foundation::equalsIgnoringCase(t.text, u"Let") && peek().kind == TokenKind::kLeftParen) {
          return let(t);
        }
        return nameOrCall(t);
      case TokenKind::kVariable:
        ++pos_;
        return node(t.column, Variable{t.text});
      case TokenKind::kLeftBracket: {
        ++pos_;
        Brackets brackets;
        do {
          brackets.items.push_back(orExpr());
        } while (accept(TokenKind::kSemicolon));
        expect(TokenKind::kRightBracket, "\";\" or \"]\"");
        return node(t.column, std::move(brackets));
      }
      case TokenKind::kLeftParen: {
        ++pos_;
        ExprPtr e = orExpr();
        expect(TokenKind::kRightParen, "\")\"");
        return e;
      }
      default:
        throw unexpected();
    }
  }

  ExprPtr nameOrCall(const Token& name) {
    if (!accept(TokenKind::kLeftParen)) return node(name.column, Name{name.text});
    Call call{name.text, {}};
    if (!accept(TokenKind::kRightParen)) {
      do {
        call.args.push_back(orExpr());
      } while (accept(TokenKind::kSemicolon));
      expect(TokenKind::kRightParen, "\";\" or \")\"");
    }
    return node(name.column, std::move(call));
  }

  // Let ( name = value ; body ) or Let ( [ name = value ; ... ] ; body ).
  ExprPtr let(const Token& keyword) {
    expect(TokenKind::kLeftParen, "\"(\"");
    Let let;
    const bool list = accept(TokenKind::kLeftBracket);
    do {
      const Token& name = peek();
      if (name.kind != TokenKind::kName && name.kind != TokenKind::kVariable) {
        throw SyntaxError(name.column, "expected a name to bind");
      }
      ++pos_;
      expect(TokenKind::kEqual, "\"=\"");
      let.bindings.push_back({name.text, orExpr()});
    } while (list && accept(TokenKind::kSemicolon));
    if (list) expect(TokenKind::kRightBracket, "\";\" or \"]\"");
    expect(TokenKind::kSemicolon, "\";\"");
    let.body = orExpr();
    expect(TokenKind::kRightParen, "\")\"");
    return node(keyword.column, std::move(let));
  }

  void expect(TokenKind kind, const std::string& what) {
    if (accept(kind)) return;
    throw SyntaxError(peek().column, "expected " + what);
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

ExprPtr parse(std::u16string_view source) { return Parser(tokenize(source)).run(); }

}  // namespace zylo::host
