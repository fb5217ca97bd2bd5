#include "parser.h"

#include <string>

#include "lexer.h"
#include "music_parser.h"
#include "token_cursor.h"

namespace zorsav::mml {
namespace {

struct HeaderKey {
  const char* name;
  int TrackHeader::*field;
  int low;
  int high;
};

constexpr HeaderKey kHeaderKeys[] = {
    {"ch", &TrackHeader::channel, 1, 16},     {"program", &TrackHeader::program, 1, 128},
    {"volume", &TrackHeader::volume, 0, 127}, {"pan", &TrackHeader::pan, 0, 127},
    {"reverb", &TrackHeader::reverb, 0, 127}, {"chorus", &TrackHeader::chorus, 0, 127},
};

std::string OutOfRange(const std::string& what, long long value, int low, int high) {
  return what + " " + std::to_string(value) + " is out of range " + std::to_string(low) + " to " +
         std::to_string(high);
}

class Parser {
 public:
  explicit Parser(const std::vector<Token>& tokens) : cursor_(tokens) {}

  Score Run() {
    while (!cursor_.Is(TokenKind::kEnd)) {
      if (!cursor_.Is(TokenKind::kDirective)) {
        throw CompileError(cursor_.Peek().loc, "music outside a #track or #phrase block");
      }
      ParseDirective();
    }
    if (score_.tracks.empty()) throw CompileError({1, 1}, "the score has no #track");
    return std::move(score_);
  }

 private:
  void ParseDirective() {
    const Token& directive = cursor_.Next();
    const std::string& name = directive.text;
    if (name == "track") {
      ParseTrack(directive.loc);
    } else if (name == "phrase") {
      ParsePhrase();
    } else if (name == "title") {
      score_.title = ExpectString("title");
      ExpectEndOfLine();
    } else if (name == "tempo") {
      RequireBeforeTracks(directive);
      score_.tempo = ExpectNumber("tempo", 20, 300);
      ExpectEndOfLine();
    } else if (name == "time") {
      RequireBeforeTracks(directive);
      ParseTimeSignature();
    } else {
      throw CompileError(directive.loc, "unknown directive '#" + name + "'");
    }
  }

  void RequireBeforeTracks(const Token& directive) {
    if (!score_.tracks.empty()) {
      throw CompileError(directive.loc,
                         "#" + directive.text + " must come before the first #track");
    }
  }

  void ParseTimeSignature() {
    score_.beats_per_bar = ExpectNumber("beats per bar", 1, 32);
    if (!cursor_.TakeSymbol("/")) throw CompileError(cursor_.Peek().loc, "'/' expected");
    const SourceLoc loc = cursor_.Peek().loc;
    const int unit = ExpectNumber("beat unit", 1, 32);
    if ((unit & (unit - 1)) != 0) throw CompileError(loc, "beat unit must be a power of two");
    score_.beat_unit = unit;
    ExpectEndOfLine();
  }

  void ParseTrack(SourceLoc loc) {
    Track track;
    track.header.loc = loc;
    track.header.number = ExpectNumber("track number", 1, 64);
    for (const Track& other : score_.tracks) {
      if (other.header.number == track.header.number) {
        throw CompileError(loc,
                           "track " + std::to_string(track.header.number) + " is defined twice");
      }
    }
    if (cursor_.Is(TokenKind::kString)) track.header.name = cursor_.Next().text;
    while (!cursor_.Is(TokenKind::kEndOfLine)) ParseHeaderKey(track.header);
    cursor_.Next();
    for (const Track& other : score_.tracks) {
      if (other.header.channel == track.header.channel) {
        throw CompileError(loc, "channel " + std::to_string(track.header.channel) +
                                    " is already used by track " +
                                    std::to_string(other.header.number));
      }
    }
    track.body = ParseMusic(cursor_, score_);
    score_.tracks.push_back(std::move(track));
  }

  void ParseHeaderKey(TrackHeader& header) {
    const Token& key = cursor_.Next();
    if (key.kind != TokenKind::kWord) throw CompileError(key.loc, "track setting name expected");
    for (const HeaderKey& known : kHeaderKeys) {
      if (key.text != known.name) continue;
      if (!cursor_.TakeSymbol("=")) throw CompileError(cursor_.Peek().loc, "'=' expected");
      header.*known.field = ExpectNumber(key.text, known.low, known.high);
      return;
    }
    throw CompileError(key.loc, "unknown track setting '" + key.text + "'");
  }

  void ParsePhrase() {
    const Token& name = cursor_.Next();
    if (name.kind != TokenKind::kWord) throw CompileError(name.loc, "phrase name expected");
    for (const Phrase& other : score_.phrases) {
      if (other.name == name.text) {
        throw CompileError(name.loc, "phrase '" + name.text + "' is defined twice");
      }
    }
    ExpectEndOfLine();
    Phrase phrase;
    phrase.name = name.text;
    // Parsed before it is added, so a phrase cannot call itself.
    phrase.body = ParseMusic(cursor_, score_);
    score_.phrases.push_back(std::move(phrase));
  }

  int ExpectNumber(const std::string& what, int low, int high) {
    const Token& token = cursor_.Peek();
    if (token.kind != TokenKind::kNumber) throw CompileError(token.loc, what + " expected");
    cursor_.Next();
    if (token.number < low || token.number > high) {
      throw CompileError(token.loc, OutOfRange(what, token.number, low, high));
    }
    return static_cast<int>(token.number);
  }

  std::string ExpectString(const std::string& what) {
    const Token& token = cursor_.Peek();
    if (token.kind != TokenKind::kString)
      throw CompileError(token.loc, what + " in quotes expected");
    return cursor_.Next().text;
  }

  void ExpectEndOfLine() {
    const Token& token = cursor_.Peek();
    if (token.kind != TokenKind::kEndOfLine)
      throw CompileError(token.loc, "unexpected text after directive");
    cursor_.Next();
  }

  TokenCursor cursor_;
  Score score_;
};

}  // namespace

Score ParseScore(std::string_view text) {
  const std::vector<Token> tokens = Lex(text);
  return Parser(tokens).Run();
}

}  // namespace zorsav::mml
