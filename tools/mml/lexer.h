// Splits score text into tokens. Directive lines (starting with '#') are lexed as words,
// numbers and strings up to the end of the line; everything else is music, where every letter
// is a token of its own, because "cdef" is four notes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagnostic.h"

namespace zorsav::mml {

enum class TokenKind {
  kDirective,  // "#track": text is "track"
  kWord,       // a name on a directive line: "ch", "program"
  kLetter,     // one letter in music: a command or a note
  kNumber,     // unsigned decimal; value in number
  kString,     // "..." without the quotes
  kSymbol,     // one punctuation character
  kPhraseRef,  // "$name": text is "name"
  kEndOfLine,  // ends a directive line
  kEnd,
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  long long number = 0;
  SourceLoc loc;
};

// Throws CompileError on a character that belongs nowhere, an unterminated string or a number
// too large to mean anything.
std::vector<Token> Lex(std::string_view text);

}  // namespace zorsav::mml
