// A read position in the token list, shared by the directive and music parsers.
#pragma once

#include <string_view>
#include <vector>

#include "lexer.h"

namespace zorsav::mml {

class TokenCursor {
 public:
  explicit TokenCursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

  // The token list always ends with kEnd, and the cursor never moves past it.
  const Token& Peek() const { return tokens_[index_]; }
  const Token& Next() {
    const Token& token = tokens_[index_];
    if (token.kind != TokenKind::kEnd) ++index_;
    return token;
  }
  bool Is(TokenKind kind) const { return Peek().kind == kind; }
  bool IsSymbol(std::string_view symbol) const {
    return Peek().kind == TokenKind::kSymbol && Peek().text == symbol;
  }
  bool TakeSymbol(std::string_view symbol) {
    if (!IsSymbol(symbol)) return false;
    Next();
    return true;
  }

 private:
  const std::vector<Token>& tokens_;
  size_t index_ = 0;
};

}  // namespace zorsav::mml
