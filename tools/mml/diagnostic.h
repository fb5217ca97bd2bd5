// Where a score went wrong, and the exception that carries it out of the compiler stages.
#pragma once

#include <stdexcept>
#include <string>

namespace zorsav::mml {

// A position in the score text, both counted from 1; columns count characters, not bytes.
struct SourceLoc {
  int line = 1;
  int column = 1;
};

struct Diagnostic {
  SourceLoc loc;
  std::string message;
};

// Thrown by the lexer, parser and sequencer at the first fault; CompileScore turns it into a
// Diagnostic, so nothing escapes to the caller.
class CompileError : public std::runtime_error {
 public:
  CompileError(SourceLoc loc, const std::string& message)
      : std::runtime_error(message), loc_(loc) {}
  SourceLoc loc() const { return loc_; }

 private:
  SourceLoc loc_;
};

}  // namespace zorsav::mml
