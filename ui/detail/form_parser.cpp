#include "ui/detail/form_parser.h"

#include <cctype>
#include <optional>

#include "ui/types.h"

namespace ui::detail {
namespace {

// The value of a hexadecimal digit (a decimal one included).
int DigitValue(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isdigit(u) ? c - '0' : std::tolower(u) - 'a' + 10;
}

struct Token {
  enum class Type { String, Number, Word, Equals, Colon, Open, Close, Comma, LineBreak };
  Type type;
  std::string text;
  int64_t number = 0;
  int line = 0;
};

class Parser {
 public:
  Parser(std::string_view text, std::string_view source) : source_(source) { SplitLines(text); }

  FormNode Parse() {
    std::optional<FormNode> form;
    std::vector<FormNode*> open;  // the node open at each level
    while (NextStatement()) {
      if (!form) {
        if (level_ != 0 || !IsHeader("form"))
          Fail("a description starts with \"form Name : TClass\"");
        form = ParseHeader(FormNode::Kind::Form);
        open = {&*form};
        continue;
      }
      if (level_ == 0)
        Fail(IsHeader("form") ? "only one form a description" : "statement outside the form");
      if (static_cast<size_t>(level_) > open.size())
        Fail("indented deeper than the line above allows");
      open.resize(static_cast<size_t>(level_));
      FormNode* owner = open.back();
      if (IsHeader("control")) {
        owner->children.push_back(ParseHeader(FormNode::Kind::Control));
        open.push_back(&owner->children.back());
      } else if (IsHeader("page")) {
        owner->children.push_back(ParsePage());
        open.push_back(&owner->children.back());
      } else {
        FormProperty property = ParseProperty();
        property.childrenBefore = owner->children.size();
        owner->properties.push_back(std::move(property));
      }
    }
    if (!form) {
      line_ = static_cast<int>(lines_.size());
      Fail("no form in the description");
    }
    return std::move(*form);
  }

 private:
  // --- lines and tokens ----------------------------------------------------------

  void SplitLines(std::string_view text) {
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  // Reads the tokens of the next statement (a list may go on over several
  // lines); false at the end of the text.
  bool NextStatement() {
    tokens_.clear();
    pos_ = 0;
    while (next_ < lines_.size()) {
      line_ = static_cast<int>(++next_);
      const std::string_view text = lines_[next_ - 1];
      const size_t indent = text.find_first_not_of(' ');
      if (indent == std::string_view::npos) continue;
      if (text[indent] == '\t') Fail("indent with blanks, not tabs");
      if (text[indent] == '#') continue;
      if (indent % 2 != 0) Fail("indentation is two blanks a level");
      level_ = static_cast<int>(indent / 2);
      const int statementLine = line_;
      int depth = Tokenize(text.substr(indent));
      while (depth > 0) {
        if (next_ >= lines_.size()) {
          line_ = statementLine;
          Fail("list not closed with \"]\"");
        }
        tokens_.push_back({Token::Type::LineBreak, {}, 0, line_});
        line_ = static_cast<int>(++next_);
        depth = Tokenize(lines_[next_ - 1], depth);
      }
      line_ = statementLine;
      if (tokens_.empty()) continue;  // only a comment after the indentation
      return true;
    }
    return false;
  }

  // Adds the line's tokens; returns how many "[" are still open.
  int Tokenize(std::string_view text, int depth = 0) {
    size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      if (c == ' ' || c == '\t') {
        ++i;
      } else if (c == '#') {
        break;
      } else if (c == '"') {
        tokens_.push_back({Token::Type::String, ReadString(text, i), 0, line_});
      } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
        tokens_.push_back(ReadNumber(text, i));
      } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        const size_t start = i;
        while (i < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
          ++i;
        tokens_.push_back(
            {Token::Type::Word, std::string(text.substr(start, i - start)), 0, line_});
      } else {
        tokens_.push_back({Punctuation(c), std::string(1, c), 0, line_});
        if (c == '[') ++depth;
        if (c == ']') --depth;
        ++i;
      }
    }
    return depth;
  }

  Token::Type Punctuation(char c) {
    switch (c) {
      case '=':
        return Token::Type::Equals;
      case ':':
        return Token::Type::Colon;
      case '[':
        return Token::Type::Open;
      case ']':
        return Token::Type::Close;
      case ',':
        return Token::Type::Comma;
      default:
        Fail(std::string("unexpected character '") + c + "'");
    }
  }

  std::string ReadString(std::string_view text, size_t& i) {
    std::string value;
    for (++i; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '"') {
        ++i;
        return value;
      }
      if (c != '\\') {
        value += c;
        continue;
      }
      if (++i >= text.size()) break;
      switch (text[i]) {
        case '"':
          value += '"';
          break;
        case '\\':
          value += '\\';
          break;
        case 'r':
          value += '\r';
          break;
        case 'n':
          value += '\n';
          break;
        case 't':
          value += '\t';
          break;
        case 'x':
          value += static_cast<char>(ReadHexByte(text, i));
          break;
        default:
          Fail(std::string("unknown escape \"\\") + text[i] + "\" in a string");
      }
    }
    Fail("string not closed with '\"'");
  }

  int ReadHexByte(std::string_view text, size_t& i) {
    int value = 0;
    for (int digit = 0; digit < 2; ++digit) {
      const char c = ++i < text.size() ? text[i] : '\0';
      if (!std::isxdigit(static_cast<unsigned char>(c)))
        Fail("\"\\x\" takes two hexadecimal digits");
      value = value * 16 + DigitValue(c);
    }
    return value;
  }

  Token ReadNumber(std::string_view text, size_t& i) {
    const size_t start = i;
    if (text[i] == '-') ++i;
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
      base = 16;
      i += 2;
    }
    const size_t digits = i;
    int64_t value = 0;
    while (i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i]))) {
      const int digit = DigitValue(text[i]);
      if (digit >= base) break;
      if (value > (INT64_MAX - digit) / base) Fail("number too large");
      value = value * base + digit;
      ++i;
    }
    if (i == digits || (i < text.size() && std::isalnum(static_cast<unsigned char>(text[i])))) {
      Fail("malformed number \"" + std::string(text.substr(start, i + 1 - start)) + "\"");
    }
    return {Token::Type::Number, std::string(text.substr(start, i - start)),
            text[start] == '-' ? -value : value, line_};
  }

  // --- statements ------------------------------------------------------------------

  bool AtEnd() const { return pos_ >= tokens_.size(); }
  const Token& Peek() const { return tokens_[pos_]; }

  bool IsHeader(std::string_view keyword) const {
    return tokens_.size() >= 2 && tokens_[0].type == Token::Type::Word &&
           tokens_[0].text == keyword && tokens_[1].type != Token::Type::Equals;
  }

  const Token& Expect(Token::Type type, const char* what) {
    if (AtEnd() || Peek().type != type) Fail(std::string("expected ") + what);
    return tokens_[pos_++];
  }

  void ExpectEnd() {
    if (!AtEnd()) Fail("unexpected \"" + Peek().text + "\" at the end of the line");
  }

  FormNode ParseHeader(FormNode::Kind kind) {
    FormNode node;
    node.kind = kind;
    node.line = line_;
    ++pos_;  // the keyword
    node.name = Expect(Token::Type::Word, "a name").text;
    Expect(Token::Type::Colon, "\":\" after the name");
    node.className = Expect(Token::Type::Word, "a class name").text;
    ExpectEnd();
    return node;
  }

  FormNode ParsePage() {
    FormNode node;
    node.kind = FormNode::Kind::Page;
    node.line = line_;
    ++pos_;
    if (AtEnd() || Peek().type != Token::Type::String)
      Fail("expected the page caption as a string");
    while (!AtEnd() && Peek().type == Token::Type::String) node.caption += tokens_[pos_++].text;
    ExpectEnd();
    return node;
  }

  FormProperty ParseProperty() {
    FormProperty property;
    property.line = line_;
    property.name = Expect(Token::Type::Word, "a property, \"control\" or \"page\"").text;
    Expect(Token::Type::Equals, "\"=\" after the property name");
    if (AtEnd()) Fail("property \"" + property.name + "\" has no value");
    if (Peek().type == Token::Type::Open) {
      ++pos_;
      ParseValues(property.values, true);
      Expect(Token::Type::Close, "\"]\"");
    } else {
      ParseValues(property.values, false);
    }
    ExpectEnd();
    return property;
  }

  // Values up to the end of the statement, or of the list. Strings side by
  // side on one line make one string.
  void ParseValues(std::vector<FormValue>& values, bool inList) {
    bool joinable = false;
    while (!AtEnd() && Peek().type != Token::Type::Close) {
      const Token& token = tokens_[pos_++];
      const bool string = token.type == Token::Type::String;
      switch (token.type) {
        case Token::Type::String:
          if (joinable) {
            values.back().text += token.text;
          } else {
            values.push_back({FormValue::Kind::String, token.text});
          }
          break;
        case Token::Type::Number:
          values.push_back({FormValue::Kind::Number, token.text, token.number});
          break;
        case Token::Type::Word:
          if (token.text == "true" || token.text == "false") {
            values.push_back({FormValue::Kind::Bool, token.text, 0, token.text == "true"});
          } else {
            values.push_back({FormValue::Kind::Word, token.text});
          }
          break;
        case Token::Type::Comma:
        case Token::Type::LineBreak:
          if (!inList) Fail("\",\" separates the items of a [ ... ] list only");
          break;
        default:
          Fail("unexpected \"" + token.text + "\" in a value");
      }
      joinable = string;
    }
  }

  [[noreturn]] void Fail(const std::string& message) const {
    throw FormError(std::string(source_) + ":" + std::to_string(line_) + ": " + message);
  }

  std::string_view source_;
  std::vector<std::string_view> lines_;
  size_t next_ = 0;  // lines read so far
  int line_ = 0;     // line of the statement (or token) at hand
  int level_ = 0;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
};

}  // namespace

FormNode ParseFormDescription(std::string_view text, std::string_view sourceName) {
  return Parser(text, sourceName).Parse();
}

}  // namespace ui::detail
