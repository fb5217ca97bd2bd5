#include "sequencer.h"

#include <algorithm>
#include <string>

namespace zorsav::mml {
namespace {

constexpr int64_t kMaxTicks = int64_t{1} << 26;  // hours of music; far below the MIDI limit
constexpr int64_t kMaxSteps = 20'000'000;        // bounds the work nested loops can ask for
constexpr size_t kMaxNotes = 1'000'000;
constexpr int kAccentBoost = 20;
constexpr int kMaxOctave = 9;

struct Budget {
  int64_t steps = 0;
};

class TrackSequencer {
 public:
  TrackSequencer(const Score& score, const TrackHeader& header, Song& song, Budget& budget)
      : score_(score), header_(header), song_(song), budget_(budget) {}

  SequencedTrack Run(const std::vector<Command>& body) {
    RunBody(body);
    SequencedTrack track;
    track.header = header_;
    track.notes = std::move(notes_);
    track.end_tick = tick_;
    return track;
  }

 private:
  void RunBody(const std::vector<Command>& body) {
    for (const Command& command : body) Run(command);
  }

  void Run(const Command& command) {
    if (++budget_.steps > kMaxSteps) throw CompileError(command.loc, "the score is too long");
    switch (command.kind) {
      case CommandKind::kNote:
        return PlayNote(command);
      case CommandKind::kRest:
        return Advance(TotalTicks(command.lengths), command.loc);
      case CommandKind::kOctave:
        octave_ = command.value;
        return;
      case CommandKind::kOctaveUp:
        return ShiftOctave(1, command.loc);
      case CommandKind::kOctaveDown:
        return ShiftOctave(-1, command.loc);
      case CommandKind::kDefaultLength:
        default_length_ = PartTicks(command.lengths[0]);
        return;
      case CommandKind::kVelocity:
        velocity_ = command.value;
        return;
      case CommandKind::kVelocityStep:
        return StepVelocity(command);
      case CommandKind::kGate:
        gate_ = command.value;
        return;
      case CommandKind::kTranspose:
        transpose_ = command.value;
        return;
      case CommandKind::kTempo:
        song_.tempos.push_back({tick_, command.value});
        return;
      case CommandKind::kLoop:
        return RunLoop(command);
      case CommandKind::kLoopBreak:
        return;  // handled by RunLoop
      case CommandKind::kBarCheck:
        return CheckBar(command.loc);
      case CommandKind::kMarker:
        song_.markers.push_back({tick_, command.text});
        return;
      case CommandKind::kPhrase:
        return RunPhrase(command);
    }
  }

  // A fault inside a phrase points at the phrase's text; the message also names where it was
  // played, since the same phrase can be right in one place and wrong in another.
  void RunPhrase(const Command& call) {
    const Phrase& phrase = score_.phrases[call.value];
    try {
      RunBody(phrase.body);
    } catch (const CompileError& error) {
      if (std::string(error.what()).find(" (in $") != std::string::npos) throw;
      throw CompileError(error.loc(), std::string(error.what()) + " (in $" + phrase.name +
                                          " played at line " + std::to_string(call.loc.line) + ")");
    }
  }

  void RunLoop(const Command& loop) {
    for (int pass = 0; pass < loop.value; ++pass) {
      if (++budget_.steps > kMaxSteps) throw CompileError(loop.loc, "the score is too long");
      const bool last = pass + 1 == loop.value;
      for (const Command& command : loop.body) {
        if (command.kind == CommandKind::kLoopBreak && last) return;
        Run(command);
      }
    }
  }

  void ShiftOctave(int step, SourceLoc loc) {
    const int octave = octave_ + step;
    if (octave < 0 || octave > kMaxOctave) {
      throw CompileError(loc, "octave " + std::to_string(octave) + " is out of range 0 to 9");
    }
    octave_ = octave;
  }

  void StepVelocity(const Command& command) {
    const int velocity = velocity_ + command.value;
    if (velocity < 1 || velocity > 127) {
      throw CompileError(command.loc,
                         "velocity " + std::to_string(velocity) + " is out of range 1 to 127");
    }
    velocity_ = velocity;
  }

  void CheckBar(SourceLoc loc) {
    const int64_t bar = score_.BarTicks();
    if (tick_ % bar == 0) return;
    throw CompileError(loc, "bar check off the bar line: " + std::to_string(tick_ % bar) +
                                " ticks into bar " + std::to_string(tick_ / bar + 1));
  }

  int PartTicks(const LengthPart& part) const {
    const int base = part.ticks != 0 ? part.ticks : default_length_;
    int total = base;
    int add = base;
    for (int i = 0; i < part.dots; ++i) {
      if (add % 2 != 0)
        throw CompileError(part.loc, "dotted length is not a whole number of ticks");
      add /= 2;
      total += add;
    }
    return total;
  }

  int64_t TotalTicks(const std::vector<LengthPart>& lengths) const {
    int64_t total = 0;
    for (const LengthPart& part : lengths) total += PartTicks(part);
    return total;
  }

  void Advance(int64_t ticks, SourceLoc loc) {
    tick_ += ticks;
    if (tick_ > kMaxTicks) throw CompileError(loc, "the score is too long");
  }

  int KeyOf(const Pitch& pitch) const {
    if (pitch.drum && header_.channel != kDrumChannel) {
      throw CompileError(pitch.loc, "drum letter outside the drum channel (ch=10)");
    }
    const int key = pitch.absolute
                        ? pitch.value
                        : 12 * (octave_ + pitch.octave_shift + 1) + pitch.value + transpose_;
    if (key < 0 || key > 127) {
      throw CompileError(pitch.loc, "note " + std::to_string(key) + " is out of range 0 to 127");
    }
    return key;
  }

  void PlayNote(const Command& note) {
    const int64_t total = TotalTicks(note.lengths);
    const int64_t last = PartTicks(note.lengths.back());
    const int64_t sounding = std::max<int64_t>(1, total - last * (8 - gate_) / 8);
    const int velocity = std::min(127, velocity_ + (note.accent ? kAccentBoost : 0));
    std::vector<int> keys;
    for (const Pitch& pitch : note.pitches) {
      const int key = KeyOf(pitch);
      if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
        throw CompileError(pitch.loc, "the same note twice in one chord");
      }
      keys.push_back(key);
      notes_.push_back({tick_, tick_ + sounding, key, velocity});
    }
    if (notes_.size() > kMaxNotes) throw CompileError(note.loc, "the score is too long");
    Advance(total, note.loc);
  }

  const Score& score_;
  const TrackHeader& header_;
  Song& song_;
  Budget& budget_;
  std::vector<NoteEvent> notes_;
  int64_t tick_ = 0;
  int octave_ = 4;
  int default_length_ = kTicksPerQuarter;
  int velocity_ = 100;
  int gate_ = 7;
  int transpose_ = 0;
};

// Parts that end at different ticks are almost always a wrong length somewhere, which the bar
// checks inside one track cannot see; a part that should fall silent ends with rests.
void CheckEqualLengths(const Song& song) {
  for (const SequencedTrack& track : song.tracks) {
    if (track.end_tick == song.end_tick) continue;
    throw CompileError(track.header.loc, "track " + std::to_string(track.header.number) + " ends " +
                                             std::to_string(song.end_tick - track.end_tick) +
                                             " ticks before the longest track");
  }
}

}  // namespace

Song Sequence(const Score& score) {
  Song song;
  song.title = score.title;
  song.beats_per_bar = score.beats_per_bar;
  song.beat_unit = score.beat_unit;
  song.tempos.push_back({0, score.tempo});
  Budget budget;
  for (const Track& track : score.tracks) {
    song.tracks.push_back(TrackSequencer(score, track.header, song, budget).Run(track.body));
    song.end_tick = std::max(song.end_tick, song.tracks.back().end_tick);
  }
  CheckEqualLengths(song);
  std::stable_sort(song.tempos.begin(), song.tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  std::stable_sort(song.markers.begin(), song.markers.end(),
                   [](const Marker& a, const Marker& b) { return a.tick < b.tick; });
  return song;
}

}  // namespace zorsav::mml
