// The parsed score: global settings, phrase bodies and one command list per track. Commands
// keep their source position so that faults found while sequencing point at the score text.
#pragma once

#include <string>
#include <vector>

#include "diagnostic.h"

namespace zorsav::mml {

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerWhole = 4 * kTicksPerQuarter;
constexpr int kDrumChannel = 10;

// One piece of a note's length: an explicit length ("4", "8.") or the default length ("." alone
// or nothing at all), possibly dotted.
struct LengthPart {
  int ticks = 0;  // 0: the track's current default length
  int dots = 0;
  SourceLoc loc;
};

// A pitch as written: either a letter (semitone above C, accidentals included) in the current
// octave shifted by octave_shift, or an absolute key (n36, drum letters) unaffected by
// octave and transposition.
struct Pitch {
  bool absolute = false;
  bool drum = false;  // written as a drum letter: only valid on the drum channel
  int value = 0;
  int octave_shift = 0;
  SourceLoc loc;
};

enum class CommandKind {
  kNote,    // pitches (one, or several for a chord), lengths tied together
  kRest,    // lengths
  kOctave,  // value
  kOctaveUp,
  kOctaveDown,
  kDefaultLength,  // lengths[0]
  kVelocity,       // value
  kVelocityStep,   // value, signed
  kGate,           // value, eighths of the length that sound
  kTranspose,      // value, signed semitones
  kTempo,          // value, quarter notes per minute
  kLoop,           // value = count, body
  kLoopBreak,      // leave the loop here on its last pass
  kBarCheck,
  kMarker,  // text
  kPhrase,  // value = index into Score::phrases
};

struct Command {
  CommandKind kind = CommandKind::kRest;
  SourceLoc loc;
  int value = 0;
  bool accent = false;
  std::vector<Pitch> pitches;
  std::vector<LengthPart> lengths;
  std::vector<Command> body;
  std::string text;
};

struct TrackHeader {
  int number = 0;
  std::string name;
  int channel = 1;   // 1..16
  int program = 1;   // 1..128, General MIDI numbering
  int volume = 100;  // CC7
  int pan = 64;      // CC10
  int reverb = 40;   // CC91
  int chorus = 0;    // CC93
  SourceLoc loc;
};

struct Track {
  TrackHeader header;
  std::vector<Command> body;
};

struct Phrase {
  std::string name;
  std::vector<Command> body;
};

struct Score {
  std::string title;
  int tempo = 120;
  int beats_per_bar = 4;
  int beat_unit = 4;
  std::vector<Phrase> phrases;
  std::vector<Track> tracks;

  int BarTicks() const { return beats_per_bar * kTicksPerWhole / beat_unit; }
};

}  // namespace zorsav::mml
