#include "host/script_parser.h"

#include <filesystem>
#include <optional>

#include "host/calc_error.h"
#include "host/parser.h"
#include "host/script_error.h"
#include "platform/foundation/string.h"

namespace zylo::host {
namespace {

constexpr int kMaxBlockNesting = 100;

enum class Keyword {
  kScript, kEndScript, kSetVariable, kIf, kElseIf, kElse, kEndIf, kLoop, kExitLoopIf, kEndLoop,
  kPerformScript, kExitScript, kShow, kPause, kSetErrorCapture,
};

// Longer names first, so that "Else If" is not read as "Else".
constexpr std::pair<std::u16string_view, Keyword> kKeywords[] = {
    {u"Pause/Resume Script", Keyword::kPause}, {u"Set Error Capture", Keyword::kSetErrorCapture},
    {u"Perform Script", Keyword::kPerformScript}, {u"Exit Loop If", Keyword::kExitLoopIf},
    {u"Set Variable", Keyword::kSetVariable}, {u"Exit Script", Keyword::kExitScript},
    {u"End Script", Keyword::kEndScript}, {u"End Loop", Keyword::kEndLoop},
    {u"Else If", Keyword::kElseIf}, {u"End If", Keyword::kEndIf}, {u"Script", Keyword::kScript},
    {u"Loop", Keyword::kLoop}, {u"Else", Keyword::kElse}, {u"Show", Keyword::kShow},
    {u"If", Keyword::kIf},
};

// A piece of a line with the column it starts at.
struct Piece {
  std::u16string text;
  int column = 1;
};

struct Line {
  int number = 0;
  Keyword keyword{};
  int column = 1;                    // where the keyword starts
  std::optional<Piece> name;         // Script's quoted name
  std::vector<Piece> parts;          // the bracket's parts, split at top-level ";"
  int bracketColumn = 0;             // 0 when the step has no bracket
};

bool closesABlock(Keyword k) {
  return k == Keyword::kEndScript || k == Keyword::kEndIf || k == Keyword::kEndLoop ||
         k == Keyword::kElse || k == Keyword::kElseIf || k == Keyword::kScript;
}

bool isSpace(char16_t c) { return c == u' ' || c == u'\t'; }
bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

Piece trimmed(std::u16string_view text, int column) {
  size_t start = 0, end = text.size();
  while (start < end && isSpace(text[start])) ++start;
  while (end > start && isSpace(text[end - 1])) --end;
  return {std::u16string(text.substr(start, end - start)), column + int(start)};
}

class FileParser {
 public:
  FileParser(const std::string& path, std::u16string_view text, const Evaluator& evaluator)
      : path_(path), evaluator_(evaluator) {
    int number = 0;
    for (const std::u16string& raw : foundation::split(text, u'\n')) {
      ++number;
      std::u16string line = raw;
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      if (auto parsed = readLine(line, number)) lines_.push_back(std::move(*parsed));
    }
  }

  ScriptFile run() {
    ScriptFile file;
    file.path = path_;
    file.database = foundation::fromUtf8(std::filesystem::path(path_).stem().string());
    while (at_ < lines_.size()) {
      const Line& line = lines_[at_++];
      if (line.keyword != Keyword::kScript || !line.name) {
        throw error(line.number, line.column, "expected Script \"name\"");
      }
      Script script{line.name->text, {}, line.number};
      script.steps = steps({Keyword::kEndScript}, 0, line);
      ++at_;
      if (file.find(script.name)) throw error(line.number, line.name->column, "a second script of that name");
      file.scripts.push_back(std::move(script));
    }
    if (file.scripts.empty()) throw error(1, 1, "the file holds no script");
    for (const auto& [name, line, column] : performed_) {
      if (!file.find(name)) throw error(line, column, "no script \"" + foundation::toUtf8(name) + "\" in this file");
    }
    return file;
  }

 private:
  ScriptSyntaxError error(int line, int column, const std::string& message) const {
    return ScriptSyntaxError(path_, line, column, message);
  }

  std::optional<Line> readLine(std::u16string_view text, int number) {
    size_t at = 0;
    while (at < text.size() && isSpace(text[at])) ++at;
    if (at == text.size() || text[at] == u'#') return std::nullopt;
    Line line;
    line.number = number;
    line.column = int(at) + 1;
    std::u16string_view rest = text.substr(at);
    bool known = false;
    for (const auto& [name, keyword] : kKeywords) {
      if (rest.size() >= name.size() && foundation::equalsIgnoringCase(rest.substr(0, name.size()), name) &&
          (rest.size() == name.size() || !isAsciiLetter(rest[name.size()]))) {
        line.keyword = keyword;
        at += name.size();
        known = true;
        break;
      }
    }
    if (!known) throw error(number, line.column, "unknown step \"" + foundation::toUtf8(trimmed(rest, 0).text) + "\"");
    while (at < text.size() && isSpace(text[at])) ++at;
    if (line.keyword == Keyword::kScript) {
      line.name = quoted(text, at, number);
    } else if (at < text.size() && text[at] == u'[') {
      line.bracketColumn = int(at) + 1;
      line.parts = bracketParts(text, at, number);
    }
    while (at < text.size() && isSpace(text[at])) ++at;
    if (at < text.size()) throw error(number, int(at) + 1, "unexpected text after the step");
    return line;
  }

  Piece quoted(std::u16string_view text, size_t& at, int number) {
    if (at >= text.size() || text[at] != u'"') throw error(number, int(at) + 1, "expected a quoted name");
    const int column = int(at) + 1;
    const size_t end = text.find(u'"', at + 1);
    if (end == std::u16string_view::npos) throw error(number, column, "name without a closing quote");
    Piece piece{std::u16string(text.substr(at + 1, end - at - 1)), column};
    at = end + 1;
    return piece;
  }

  // The parts of "[ a ; b ]", split at the semicolons outside quotes,
  // parentheses and inner brackets.
  std::vector<Piece> bracketParts(std::u16string_view text, size_t& at, int number) {
    const int open = int(at) + 1;
    std::vector<Piece> parts;
    size_t start = ++at;
    int depth = 0;
    bool inText = false;
    for (; at < text.size(); ++at) {
      const char16_t c = text[at];
      if (inText) {
        if (c == u'\\' && at + 1 < text.size()) {
          ++at;
        } else if (c == u'"') {
          inText = false;
        }
      } else if (c == u'"') {
        inText = true;
      } else if (c == u'(' || c == u'[') {
        ++depth;
      } else if (c == u')' || (c == u']' && depth > 0)) {
        --depth;
      } else if (depth == 0 && (c == u';' || c == u']')) {
        parts.push_back(trimmed(text.substr(start, at - start), int(start) + 1));
        start = at + 1;
        if (c == u']') {
          ++at;
          if (parts.size() == 1 && parts[0].text.empty()) parts.clear();
          return parts;
        }
      }
    }
    throw error(number, open, "\"[\" without a closing \"]\"");
  }

  // The part's text after `label` (which it must start with when required).
  Piece labelled(const Line& line, size_t i, std::u16string_view label, bool required) {
    if (i >= line.parts.size()) throw error(line.number, line.bracketColumn, "expected " + foundation::toUtf8(label));
    Piece part = line.parts[i];
    if (part.text.size() >= label.size() && foundation::equalsIgnoringCase(std::u16string_view(part.text).substr(0, label.size()), label)) {
      return trimmed(std::u16string_view(part.text).substr(label.size()), part.column + int(label.size()));
    }
    if (required) throw error(line.number, part.column, "expected " + foundation::toUtf8(label));
    return part;
  }

  ExprPtr calculation(const Line& line, const Piece& piece) {
    if (piece.text.empty()) throw error(line.number, piece.column, "expected a calculation");
    try {
      ExprPtr e = parse(piece.text);
      evaluator_.check(*e);
      return e;
    } catch (const SyntaxError& e) {
      throw error(line.number, piece.column + e.column() - 1, e.message());
    } catch (const UnknownFunction& e) {
      throw error(line.number, piece.column, e.what());
    }
  }

  void expectParts(const Line& line, size_t min, size_t max) {
    if (line.parts.size() < min || line.parts.size() > max) {
      throw error(line.number, line.bracketColumn ? line.bracketColumn : line.column,
                  max == 0 ? "this step takes no \"[ ]\"" : "wrong number of parts in \"[ ]\"");
    }
  }

  // Steps up to (not including) a line whose keyword is one of `ends`.
  Steps steps(std::initializer_list<Keyword> ends, int loops, const Line& opener) {
    // Blocks nest by recursion here and when the script runs.
    struct Deeper {
      int& depth;
      ~Deeper() { --depth; }
    } deeper{++depth_};
    if (depth_ > kMaxBlockNesting) throw error(opener.number, opener.column, "blocks nested too deeply");
    Steps list;
    for (;;) {
      if (at_ >= lines_.size()) throw error(opener.number, opener.column, "this block has no end");
      const Line& line = lines_[at_];
      for (Keyword end : ends) {
        if (line.keyword == end) return list;
      }
      if (closesABlock(line.keyword)) {
        throw error(line.number, line.column,
                    "this does not close the block opened on line " + std::to_string(opener.number));
      }
      ++at_;
      list.push_back(step(line, loops));
    }
  }

  Step step(const Line& line, int loops) {
    Step s;
    s.line = line.number;
    s.column = line.column;
    switch (line.keyword) {
      case Keyword::kSetVariable: {
        expectParts(line, 2, 2);
        const Piece& name = line.parts[0];
        if (!name.text.starts_with(u'$') || name.text.size() < 2) {
          throw error(line.number, name.column, "expected a $variable");
        }
        s.step = SetVariable{name.text, calculation(line, labelled(line, 1, u"Value:", true))};
        return s;
      }
      case Keyword::kIf: {
        IfStep ifStep;
        expectParts(line, 1, 1);
        ifStep.branches.push_back({calculation(line, line.parts[0]), steps({Keyword::kElseIf, Keyword::kElse, Keyword::kEndIf}, loops, line)});
        for (bool sawElse = false;;) {
          const Line& next = lines_[at_++];
          if (next.keyword == Keyword::kEndIf) break;
          if (sawElse) throw error(next.number, next.column, "nothing may follow Else but End If");
          if (next.keyword == Keyword::kElse) {
            expectParts(next, 0, 0);
            sawElse = true;
            ifStep.branches.push_back({nullptr, steps({Keyword::kEndIf, Keyword::kElseIf, Keyword::kElse}, loops, next)});
          } else {
            expectParts(next, 1, 1);
            ifStep.branches.push_back({calculation(next, next.parts[0]), steps({Keyword::kElseIf, Keyword::kElse, Keyword::kEndIf}, loops, next)});
          }
        }
        s.step = std::move(ifStep);
        return s;
      }
      case Keyword::kLoop: {
        expectParts(line, 0, 0);
        LoopStep loop{steps({Keyword::kEndLoop}, loops + 1, line)};
        ++at_;
        s.step = std::move(loop);
        return s;
      }
      case Keyword::kExitLoopIf:
        if (loops == 0) throw error(line.number, line.column, "Exit Loop If outside a Loop");
        expectParts(line, 1, 1);
        s.step = ExitLoopIf{calculation(line, line.parts[0])};
        return s;
      case Keyword::kPerformScript: {
        expectParts(line, 1, 2);
        const Piece& name = line.parts[0];
        if (name.text.size() < 2 || name.text.front() != u'"' || name.text.back() != u'"') {
          throw error(line.number, name.column, "expected the script's name in quotes");
        }
        PerformScript perform{name.text.substr(1, name.text.size() - 2), nullptr};
        if (line.parts.size() == 2) perform.parameter = calculation(line, labelled(line, 1, u"Parameter:", true));
        performed_.push_back({perform.script, line.number, name.column});
        s.step = std::move(perform);
        return s;
      }
      case Keyword::kExitScript:
        expectParts(line, 0, 1);
        s.step = ExitScript{line.parts.empty() ? nullptr : calculation(line, labelled(line, 0, u"Result:", true))};
        return s;
      case Keyword::kShow:
        expectParts(line, 1, 1);
        s.step = Show{calculation(line, line.parts[0])};
        return s;
      case Keyword::kPause:
        expectParts(line, 1, 1);
        s.step = Pause{calculation(line, labelled(line, 0, u"Duration (seconds):", false))};
        return s;
      case Keyword::kSetErrorCapture: {
        expectParts(line, 1, 1);
        const std::u16string& state = line.parts[0].text;
        if (!foundation::equalsIgnoringCase(state, u"On") && !foundation::equalsIgnoringCase(state, u"Off")) {
          throw error(line.number, line.parts[0].column, "expected On or Off");
        }
        s.step = SetErrorCapture{};
        return s;
      }
      default:
        throw error(line.number, line.column, "this step does not belong here");
    }
  }

  struct Reference {
    std::u16string name;
    int line, column;
  };

  const std::string path_;
  const Evaluator& evaluator_;
  std::vector<Line> lines_;
  size_t at_ = 0;
  int depth_ = 0;
  std::vector<Reference> performed_;
};

}  // namespace

const Script* ScriptFile::find(std::u16string_view name) const {
  for (const Script& s : scripts) {
    if (foundation::equalsIgnoringCase(s.name, name)) return &s;
  }
  return nullptr;
}

ScriptFile parseScriptFile(const std::string& path, std::u16string_view text, const Evaluator& evaluator) {
  return FileParser(path, text, evaluator).run();
}

}  // namespace zylo::host
