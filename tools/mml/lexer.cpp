#include "lexer.h"

#include <cctype>

namespace zorsav::mml {
namespace {

constexpr long long kNumberLimit = 1000000000;

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::vector<Token> Run() {
    while (!AtEnd()) {
      if (at_line_start_) {
        SkipBlanks();
        if (Peek() == '#') {
          LexDirectiveLine();
          continue;
        }
      }
      LexMusicChar();
    }
    Push(TokenKind::kEnd, "", Here());
    return std::move(tokens_);
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  SourceLoc Here() const { return {line_, column_}; }

  // Moves one byte on; UTF-8 continuation bytes do not start a new column.
  void Advance() {
    const char c = text_[pos_++];
    at_line_start_ = false;
    if (c == '\n') {
      ++line_;
      column_ = 1;
      at_line_start_ = true;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column_;
    }
  }

  void SkipBlanks() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r')) Advance();
  }

  void SkipComment() {
    while (!AtEnd() && Peek() != '\n') Advance();
  }

  void Push(TokenKind kind, std::string text, SourceLoc loc, long long number = 0) {
    tokens_.push_back(Token{kind, std::move(text), number, loc});
  }

  void LexNumber() {
    const SourceLoc loc = Here();
    long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(Peek())) != 0) {
      value = value * 10 + (Peek() - '0');
      if (value > kNumberLimit) throw CompileError(loc, "number is too large");
      Advance();
    }
    Push(TokenKind::kNumber, "", loc, value);
  }

  void LexString() {
    const SourceLoc loc = Here();
    Advance();  // opening quote
    std::string value;
    while (Peek() != '"') {
      if (AtEnd() || Peek() == '\n') throw CompileError(loc, "unterminated string");
      value += Peek();
      Advance();
    }
    Advance();  // closing quote
    Push(TokenKind::kString, std::move(value), loc);
  }

  std::string TakeWhile(bool (*accept)(char)) {
    std::string word;
    while (!AtEnd() && accept(Peek())) {
      word += Peek();
      Advance();
    }
    return word;
  }

  void LexDirectiveLine() {
    const SourceLoc loc = Here();
    Advance();  // '#'
    const std::string name = TakeWhile(IsNameChar);
    if (name.empty()) throw CompileError(loc, "directive name expected after '#'");
    Push(TokenKind::kDirective, name, loc);
    while (true) {
      SkipBlanks();
      const char c = Peek();
      if (AtEnd() || c == '\n' || c == ';') break;
      if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
        LexNumber();
      } else if (c == '"') {
        LexString();
      } else if (std::isalpha(static_cast<unsigned char>(c)) != 0) {
        const SourceLoc word_loc = Here();
        Push(TokenKind::kWord, TakeWhile(IsWordChar), word_loc);
      } else if (std::ispunct(static_cast<unsigned char>(c)) != 0) {
        Push(TokenKind::kSymbol, std::string(1, c), Here());
        Advance();
      } else {
        throw CompileError(Here(), "unexpected character in directive");
      }
    }
    SkipComment();
    Push(TokenKind::kEndOfLine, "", Here());
  }

  void LexMusicChar() {
    const char c = Peek();
    const auto uc = static_cast<unsigned char>(c);
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      Advance();
    } else if (c == ';') {
      SkipComment();
    } else if (std::isdigit(uc) != 0) {
      LexNumber();
    } else if (c == '"') {
      LexString();
    } else if (c == '$') {
      const SourceLoc loc = Here();
      Advance();
      const std::string name = TakeWhile(IsNameChar);
      if (name.empty()) throw CompileError(loc, "phrase name expected after '$'");
      Push(TokenKind::kPhraseRef, name, loc);
    } else if (std::isalpha(uc) != 0) {
      Push(TokenKind::kLetter, std::string(1, c), Here());
      Advance();
    } else if (uc < 0x80 && std::ispunct(uc) != 0) {
      Push(TokenKind::kSymbol, std::string(1, c), Here());
      Advance();
    } else {
      throw CompileError(Here(), "unexpected character");
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
  bool at_line_start_ = true;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Lex(std::string_view text) { return Lexer(text).Run(); }

}  // namespace zorsav::mml
