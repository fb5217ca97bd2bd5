#include "music_parser.h"

#include <string>

namespace zorsav::mml {
namespace {

constexpr int kMaxLoopCount = 255;
constexpr int kMaxLoopDepth = 16;

struct DrumName {
  char letter;
  int key;
};

// Uppercase letters name General MIDI drum keys, so a drum part reads "B8 H8 S8 H8".
constexpr DrumName kDrumNames[] = {
    {'B', 36}, {'W', 37}, {'S', 38}, {'X', 39}, {'D', 40}, {'F', 41}, {'H', 42}, {'P', 44},
    {'L', 45}, {'O', 46}, {'M', 47}, {'T', 50}, {'C', 49}, {'R', 51}, {'Y', 57}, {'G', 54},
};

int NoteSemitone(char letter) {
  switch (letter) {
    case 'c':
      return 0;
    case 'd':
      return 2;
    case 'e':
      return 4;
    case 'f':
      return 5;
    case 'g':
      return 7;
    case 'a':
      return 9;
    case 'b':
      return 11;
    default:
      return -1;
  }
}

class MusicParser {
 public:
  MusicParser(TokenCursor& cursor, const Score& score) : cursor_(cursor), score_(score) {}

  std::vector<Command> ParseBody(int loop_depth) {
    std::vector<Command> body;
    while (!cursor_.Is(TokenKind::kEnd) && !cursor_.Is(TokenKind::kDirective)) {
      if (cursor_.IsSymbol("]")) {
        if (loop_depth > 0) break;
        throw CompileError(cursor_.Peek().loc, "']' without a matching '['");
      }
      body.push_back(ParseCommand(loop_depth));
    }
    return body;
  }

 private:
  Command ParseCommand(int loop_depth) {
    const Token& token = cursor_.Peek();
    Command command;
    command.loc = token.loc;
    if (token.kind == TokenKind::kPhraseRef) return ParsePhraseRef();
    if (token.kind == TokenKind::kSymbol) return ParseSymbolCommand(loop_depth);
    if (token.kind != TokenKind::kLetter) {
      throw CompileError(token.loc, token.kind == TokenKind::kNumber ? "number without a command"
                                                                     : "unexpected text");
    }
    if (IsPitchStart(token)) return ParseNote(false);
    const char letter = cursor_.Next().text[0];
    switch (letter) {
      case 'r':
        command.kind = CommandKind::kRest;
        command.lengths = ParseTiedLengths(nullptr);
        return command;
      case 'o':
        return ValueCommand(CommandKind::kOctave, command.loc, ParseNumber(0, 9, "octave"));
      case 'l':
        command.kind = CommandKind::kDefaultLength;
        command.lengths.push_back(ParseLength(true));
        return command;
      case 'v':
        return ParseVelocity(command.loc);
      case 'q':
        return ValueCommand(CommandKind::kGate, command.loc, ParseNumber(1, 8, "gate"));
      case 'k':
        return ValueCommand(CommandKind::kTranspose, command.loc,
                            ParseSigned(-48, 48, "transposition"));
      case 't':
        return ValueCommand(CommandKind::kTempo, command.loc, ParseNumber(20, 300, "tempo"));
      default:
        throw CompileError(command.loc, std::string("unknown command '") + letter + "'");
    }
  }

  static Command ValueCommand(CommandKind kind, SourceLoc loc, int value) {
    Command command;
    command.kind = kind;
    command.loc = loc;
    command.value = value;
    return command;
  }

  Command ParseSymbolCommand(int loop_depth) {
    const Token& token = cursor_.Next();
    const char symbol = token.text[0];
    switch (symbol) {
      case '<':
        return ValueCommand(CommandKind::kOctaveDown, token.loc, 0);
      case '>':
        return ValueCommand(CommandKind::kOctaveUp, token.loc, 0);
      case '|':
        return ValueCommand(CommandKind::kBarCheck, token.loc, 0);
      case '\'': {
        if (!IsPitchStart(cursor_.Peek()) && !cursor_.IsSymbol("{")) {
          throw CompileError(token.loc, "an accent must come right before a note");
        }
        Command note = ParseNote(true);
        note.loc = token.loc;
        return note;
      }
      case '{':
        return ParseChord(token.loc, false);
      case '[':
        return ParseLoop(token.loc, loop_depth);
      case '/':
        if (loop_depth == 0) throw CompileError(token.loc, "'/' outside a loop");
        return ValueCommand(CommandKind::kLoopBreak, token.loc, 0);
      case '*': {
        if (!cursor_.Is(TokenKind::kString)) {
          throw CompileError(token.loc, "a marker needs its text in quotes");
        }
        Command marker = ValueCommand(CommandKind::kMarker, token.loc, 0);
        marker.text = cursor_.Next().text;
        return marker;
      }
      default:
        throw CompileError(token.loc, std::string("unknown command '") + symbol + "'");
    }
  }

  Command ParsePhraseRef() {
    const Token& token = cursor_.Next();
    for (size_t i = 0; i < score_.phrases.size(); ++i) {
      if (score_.phrases[i].name == token.text) {
        return ValueCommand(CommandKind::kPhrase, token.loc, static_cast<int>(i));
      }
    }
    throw CompileError(token.loc, "unknown phrase '$" + token.text + "'");
  }

  Command ParseLoop(SourceLoc loc, int loop_depth) {
    if (loop_depth >= kMaxLoopDepth) throw CompileError(loc, "loops nested too deeply");
    Command loop = ValueCommand(CommandKind::kLoop, loc, 2);
    loop.body = ParseBody(loop_depth + 1);
    if (!cursor_.TakeSymbol("]")) throw CompileError(loc, "loop is not closed with ']'");
    if (cursor_.Is(TokenKind::kNumber)) loop.value = ParseNumber(1, kMaxLoopCount, "loop count");
    return loop;
  }

  Command ParseVelocity(SourceLoc loc) {
    if (cursor_.IsSymbol("+") || cursor_.IsSymbol("-")) {
      return ValueCommand(CommandKind::kVelocityStep, loc, ParseSigned(-126, 126, "velocity step"));
    }
    return ValueCommand(CommandKind::kVelocity, loc, ParseNumber(1, 127, "velocity"));
  }

  static bool IsPitchStart(const Token& token) {
    if (token.kind != TokenKind::kLetter) return false;
    const char letter = token.text[0];
    return NoteSemitone(letter) >= 0 || letter == 'n' || (letter >= 'A' && letter <= 'Z');
  }

  // One pitch: a note letter with accidentals, "n" with a key number, or a drum letter.
  Pitch ParsePitch(int octave_shift) {
    const Token& token = cursor_.Next();
    const char letter = token.text[0];
    Pitch pitch;
    pitch.loc = token.loc;
    pitch.octave_shift = octave_shift;
    if (letter == 'n') {
      pitch.absolute = true;
      pitch.value = ParseNumber(0, 127, "key number");
      cursor_.TakeSymbol(",");  // "n36,8": the comma keeps the length apart from the key
      return pitch;
    }
    if (letter >= 'A' && letter <= 'Z') {
      pitch.absolute = true;
      pitch.drum = true;
      pitch.value = DrumKey(letter);
      if (pitch.value < 0)
        throw CompileError(token.loc, std::string("unknown drum '") + letter + "'");
      return pitch;
    }
    pitch.value = NoteSemitone(letter);
    while (true) {
      if (cursor_.TakeSymbol("+") || cursor_.TakeSymbol("#")) {
        ++pitch.value;
      } else if (cursor_.TakeSymbol("-")) {
        --pitch.value;
      } else {
        break;
      }
    }
    return pitch;
  }

  Command ParseNote(bool accent) {
    if (cursor_.IsSymbol("{")) return ParseChord(cursor_.Next().loc, accent);
    Command note = ValueCommand(CommandKind::kNote, cursor_.Peek().loc, 0);
    note.accent = accent;
    note.pitches.push_back(ParsePitch(0));
    note.lengths = ParseTiedLengths(&note);
    return note;
  }

  Command ParseChord(SourceLoc loc, bool accent) {
    Command chord = ValueCommand(CommandKind::kNote, loc, 0);
    chord.accent = accent;
    int octave_shift = 0;
    while (!cursor_.IsSymbol("}")) {
      const Token& token = cursor_.Peek();
      if (token.kind == TokenKind::kSymbol && token.text == "<") {
        cursor_.Next();
        --octave_shift;
      } else if (token.kind == TokenKind::kSymbol && token.text == ">") {
        cursor_.Next();
        ++octave_shift;
      } else if (IsPitchStart(token)) {
        chord.pitches.push_back(ParsePitch(octave_shift));
      } else if (token.kind == TokenKind::kEnd || token.kind == TokenKind::kDirective) {
        throw CompileError(loc, "chord is not closed with '}'");
      } else {
        throw CompileError(token.loc, "only notes and octave changes may stand in a chord");
      }
    }
    cursor_.Next();
    if (chord.pitches.empty()) throw CompileError(loc, "empty chord");
    chord.lengths = ParseTiedLengths(&chord);
    return chord;
  }

  // The first length, then "&length" or "&same-note" pieces tied to it.
  std::vector<LengthPart> ParseTiedLengths(const Command* note) {
    std::vector<LengthPart> lengths{ParseLength(false)};
    while (cursor_.IsSymbol("&")) {
      const SourceLoc tie_loc = cursor_.Next().loc;
      if (note != nullptr && (IsPitchStart(cursor_.Peek()) || cursor_.IsSymbol("{"))) {
        ExpectSamePitches(*note, tie_loc);
        lengths.push_back(ParseLength(false));
      } else if (cursor_.Is(TokenKind::kNumber) || cursor_.IsSymbol(".")) {
        lengths.push_back(ParseLength(false));
      } else {
        throw CompileError(tie_loc, "'&' must be followed by a length or the same note");
      }
    }
    return lengths;
  }

  void ExpectSamePitches(const Command& note, SourceLoc tie_loc) {
    std::vector<Pitch> next;
    if (cursor_.TakeSymbol("{")) {
      int octave_shift = 0;
      while (!cursor_.TakeSymbol("}")) {
        if (cursor_.TakeSymbol("<")) {
          --octave_shift;
        } else if (cursor_.TakeSymbol(">")) {
          ++octave_shift;
        } else if (IsPitchStart(cursor_.Peek())) {
          next.push_back(ParsePitch(octave_shift));
        } else {
          throw CompileError(tie_loc, "'&' must be followed by a length or the same note");
        }
      }
    } else {
      next.push_back(ParsePitch(0));
    }
    bool same = next.size() == note.pitches.size();
    for (size_t i = 0; same && i < next.size(); ++i) {
      const Pitch& a = note.pitches[i];
      const Pitch& b = next[i];
      same = a.absolute == b.absolute && a.value == b.value &&
             (a.absolute || a.octave_shift == b.octave_shift);
    }
    if (!same) throw CompileError(tie_loc, "'&' ties notes of different pitch");
  }

  // "4", "8.", "." (dotted default) or nothing (the default length).
  LengthPart ParseLength(bool required) {
    LengthPart part;
    part.loc = cursor_.Peek().loc;
    if (cursor_.Is(TokenKind::kNumber)) {
      const Token& token = cursor_.Next();
      if (token.number < 1 || token.number > kTicksPerWhole || kTicksPerWhole % token.number != 0) {
        throw CompileError(token.loc, "length " + std::to_string(token.number) +
                                          " does not divide a whole note into ticks");
      }
      part.ticks = kTicksPerWhole / static_cast<int>(token.number);
    } else if (required) {
      throw CompileError(part.loc, "length expected");
    }
    while (cursor_.TakeSymbol(".")) ++part.dots;
    return part;
  }

  int ParseNumber(int low, int high, const std::string& what) {
    if (!cursor_.Is(TokenKind::kNumber)) {
      throw CompileError(cursor_.Peek().loc, what + " expected");
    }
    const Token& token = cursor_.Next();
    if (token.number < low || token.number > high) {
      throw CompileError(token.loc, what + " " + std::to_string(token.number) +
                                        " is out of range " + std::to_string(low) + " to " +
                                        std::to_string(high));
    }
    return static_cast<int>(token.number);
  }

  int ParseSigned(int low, int high, const std::string& what) {
    const SourceLoc loc = cursor_.Peek().loc;
    int sign = 1;
    if (cursor_.TakeSymbol("-")) {
      sign = -1;
    } else {
      cursor_.TakeSymbol("+");
    }
    if (!cursor_.Is(TokenKind::kNumber)) throw CompileError(cursor_.Peek().loc, what + " expected");
    const long long value = sign * cursor_.Next().number;
    if (value < low || value > high) {
      throw CompileError(loc, what + " " + std::to_string(value) + " is out of range " +
                                  std::to_string(low) + " to " + std::to_string(high));
    }
    return static_cast<int>(value);
  }

  TokenCursor& cursor_;
  const Score& score_;
};

}  // namespace

int DrumKey(char letter) {
  for (const DrumName& drum : kDrumNames) {
    if (drum.letter == letter) return drum.key;
  }
  return -1;
}

std::vector<Command> ParseMusic(TokenCursor& cursor, const Score& score) {
  return MusicParser(cursor, score).ParseBody(0);
}

}  // namespace zorsav::mml
