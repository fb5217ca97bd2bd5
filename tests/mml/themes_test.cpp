// The two themes as the game plays them, compiled from their scores in the source tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "compiler.h"
#include "midi_reader.h"

namespace zorsav::mml {
namespace {

using testing::PlayedNote;
using testing::ReadEvent;
using testing::ReadMidi;
using testing::ReadTrack;

constexpr uint32_t kBar = 1920;  // 4/4 at 480 ticks a quarter
constexpr int kDrums = 10;

struct Tempo {
  uint32_t tick;
  double bpm;
};

// One compiled theme and what the tests ask of it.
class Theme {
 public:
  explicit Theme(const std::string& score_name) {
    std::ifstream in(std::string(ZORSAV_MUSIC_DIR) + "/" + score_name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const CompileResult result = CompileScore(text.str());
    if (!result.ok()) {
      error =
          score_name + ":" + std::to_string(result.error->loc.line) + ": " + result.error->message;
      return;
    }
    midi = testing::ReadMidiBytes(result.midi);
    error = midi.error;
  }

  std::vector<Tempo> Tempos() const {
    std::vector<Tempo> tempos;
    for (const ReadEvent& event : midi.tracks[0].events) {
      if (event.status != 0xFF || event.meta_type != 0x51) continue;
      const uint32_t micros = (event.data[0] << 16) | (event.data[1] << 8) | event.data[2];
      tempos.push_back({event.tick, 60e6 / micros});
    }
    return tempos;
  }

  uint32_t EndTick() const { return midi.tracks[0].events.back().tick; }

  double Seconds() const {
    double seconds = 0;
    uint32_t last = 0;
    double bpm = 120;
    for (const Tempo& tempo : Tempos()) {
      seconds += (tempo.tick - last) / 480.0 * 60 / bpm;
      last = tempo.tick;
      bpm = tempo.bpm;
    }
    return seconds + (EndTick() - last) / 480.0 * 60 / bpm;
  }

  const ReadTrack* Part(const std::string& name) const {
    for (const ReadTrack& track : midi.tracks) {
      if (track.Name() == name) return &track;
    }
    return nullptr;
  }

  std::vector<PlayedNote> Notes(const ReadTrack& track) const {
    std::string problem;
    return testing::PairNotes(track, &problem);
  }

  std::vector<PlayedNote> AllNotes() const {
    std::vector<PlayedNote> notes;
    for (size_t i = 1; i < midi.tracks.size(); ++i) {
      const std::vector<PlayedNote> part = Notes(midi.tracks[i]);
      notes.insert(notes.end(), part.begin(), part.end());
    }
    return notes;
  }

  // How often each pitch class sounds in the tuned parts.
  std::map<int, int> PitchClassCounts() const {
    std::map<int, int> counts;
    for (const PlayedNote& note : AllNotes()) {
      if (note.channel != kDrums) ++counts[note.key % 12];
    }
    return counts;
  }

  std::string error;
  ReadMidi midi;
};

const Theme& Battle() {
  static const Theme theme("battle.mml");
  return theme;
}

const Theme& Ending() {
  static const Theme theme("ending.mml");
  return theme;
}

// ---- What both themes share: a well-formed file the synthesiser plays cleanly. ----

class BothThemesTest : public ::testing::TestWithParam<const char*> {
 protected:
  const Theme& theme() const { return std::string(GetParam()) == "battle" ? Battle() : Ending(); }
};

TEST_P(BothThemesTest, CompilesToAFormatOneFileInFourFour) {
  ASSERT_EQ(theme().error, "");
  EXPECT_EQ(theme().midi.format, 1);
  EXPECT_EQ(theme().midi.division, 480);
  int signatures = 0;
  for (const ReadEvent& event : theme().midi.tracks[0].events) {
    if (event.status != 0xFF || event.meta_type != 0x58) continue;
    ++signatures;
    EXPECT_EQ(event.tick, 0u);
    EXPECT_EQ(event.data[0], 4);
    EXPECT_EQ(event.data[1], 2);  // a quarter note beat
  }
  EXPECT_EQ(signatures, 1);
}

TEST_P(BothThemesTest, EveryTrackSetsProgramVolumeAndPanBeforeItsFirstNote) {
  ASSERT_EQ(theme().error, "");
  for (size_t i = 1; i < theme().midi.tracks.size(); ++i) {
    const ReadTrack& track = theme().midi.tracks[i];
    SCOPED_TRACE(track.Name());
    std::set<int> seen;  // 0xC0 for the program, else the controller number
    std::set<int> channels;
    for (const ReadEvent& event : track.events) {
      if (event.status == 0xFF) continue;
      channels.insert(event.Channel());
      if (event.Kind() == 0xC0) seen.insert(0xC0);
      if (event.Kind() == 0xB0) seen.insert(event.data[0]);
      if (event.IsNoteOn()) break;
    }
    EXPECT_EQ(seen.count(0xC0), 1u);
    EXPECT_EQ(seen.count(7), 1u);
    EXPECT_EQ(seen.count(10), 1u);
    EXPECT_EQ(channels.size(), 1u);
  }
}

TEST_P(BothThemesTest, EveryNoteOnHasItsNoteOff) {
  ASSERT_EQ(theme().error, "");
  for (const ReadTrack& track : theme().midi.tracks) {
    std::string problem;
    const std::vector<PlayedNote> notes = testing::PairNotes(track, &problem);
    EXPECT_EQ(problem, "") << track.Name();
    for (const PlayedNote& note : notes) EXPECT_GT(note.end, note.start) << track.Name();
  }
}

TEST_P(BothThemesTest, AllTracksEndTogetherAfterTheirLastEvent) {
  ASSERT_EQ(theme().error, "");
  for (const ReadTrack& track : theme().midi.tracks) {
    ASSERT_FALSE(track.events.empty());
    EXPECT_EQ(track.events.back().meta_type, 0x2F) << track.Name();
    EXPECT_EQ(track.events.back().tick, theme().EndTick()) << track.Name();
  }
}

TEST_P(BothThemesTest, VelocitiesFollowThePhrasing) {
  ASSERT_EQ(theme().error, "");
  for (size_t i = 1; i < theme().midi.tracks.size(); ++i) {
    std::set<int> velocities;
    for (const PlayedNote& note : theme().Notes(theme().midi.tracks[i])) {
      velocities.insert(note.velocity);
    }
    EXPECT_GE(velocities.size(), 3u) << theme().midi.tracks[i].Name();
  }
}

TEST_P(BothThemesTest, DrumsPlayOnChannelTenOnly) {
  ASSERT_EQ(theme().error, "");
  const ReadTrack* drums = theme().Part("Drums");
  ASSERT_NE(drums, nullptr);
  const std::vector<PlayedNote> notes = theme().Notes(*drums);
  ASSERT_FALSE(notes.empty());
  for (const PlayedNote& note : notes) EXPECT_EQ(note.channel, kDrums);
  int drum_tracks = 0;
  for (size_t i = 1; i < theme().midi.tracks.size(); ++i) {
    for (const PlayedNote& note : theme().Notes(theme().midi.tracks[i])) {
      if (note.channel == kDrums) {
        ++drum_tracks;
        break;
      }
    }
  }
  EXPECT_EQ(drum_tracks, 1);
}

INSTANTIATE_TEST_SUITE_P(Themes, BothThemesTest, ::testing::Values("battle", "ending"));

// ---- The battle theme: fast, minor, in 8-bar phrases, looping on a bar line. ----

TEST(BattleThemeTest, TempoAndLengthSuitAFight) {
  ASSERT_EQ(Battle().error, "");
  for (const Tempo& tempo : Battle().Tempos()) {
    EXPECT_GE(tempo.bpm, 150);
    EXPECT_LE(tempo.bpm, 170);
  }
  EXPECT_GE(Battle().Seconds(), 40);
  EXPECT_LE(Battle().Seconds(), 75);
}

TEST(BattleThemeTest, EndsOnABarLineAfterWholePhrases) {
  ASSERT_EQ(Battle().error, "");
  EXPECT_EQ(Battle().EndTick() % (8 * kBar), 0u);
  std::vector<uint32_t> starts;
  for (const ReadEvent& event : Battle().midi.tracks[0].events) {
    if (event.status == 0xFF && event.meta_type == 0x06) starts.push_back(event.tick);
  }
  ASSERT_GE(starts.size(), 4u);
  EXPECT_EQ(starts.front(), 0u);
  starts.push_back(Battle().EndTick());
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], 8 * kBar);
}

TEST(BattleThemeTest, HasTheFiveRoles) {
  ASSERT_EQ(Battle().error, "");
  EXPECT_GE(Battle().midi.tracks.size(), 6u);  // the tempo track and five parts
  for (const char* name : {"Lead", "Counter", "Strings", "Arpeggio", "Bass", "Drums"}) {
    EXPECT_NE(Battle().Part(name), nullptr) << name;
  }
  const ReadTrack* bass = Battle().Part("Bass");
  const ReadTrack* lead = Battle().Part("Lead");
  ASSERT_NE(bass, nullptr);
  ASSERT_NE(lead, nullptr);
  for (const ReadEvent& event : bass->events) {
    if (event.status != 0xFF && event.Kind() == 0xC0) {
      EXPECT_GE(event.data[0], 32);  // General MIDI basses are programs 33 to 40
      EXPECT_LE(event.data[0], 39);
    }
  }
  for (const PlayedNote& note : Battle().Notes(*bass)) EXPECT_LT(note.key, 55);
  for (const PlayedNote& note : Battle().Notes(*lead)) EXPECT_GE(note.key, 60);
}

// Fills use the toms; the steady bars do not, so every phrase ends on a fill.
TEST(BattleThemeTest, DrumsFillTheLastBarOfEveryPhrase) {
  ASSERT_EQ(Battle().error, "");
  const std::set<int> toms = {41, 43, 45, 47, 48, 50};
  std::set<uint32_t> bars_with_toms;
  for (const PlayedNote& note : Battle().Notes(*Battle().Part("Drums"))) {
    if (toms.count(note.key) != 0) bars_with_toms.insert(note.start / kBar);
  }
  std::set<uint32_t> phrase_ends;
  for (uint32_t bar = 7; bar < Battle().EndTick() / kBar; bar += 8) phrase_ends.insert(bar);
  EXPECT_EQ(bars_with_toms, phrase_ends);
}

TEST(BattleThemeTest, IsInDMinor) {
  ASSERT_EQ(Battle().error, "");
  const std::map<int, int> counts = Battle().PitchClassCounts();
  EXPECT_GT(counts.at(5), counts.count(6) != 0 ? counts.at(6) : 0);     // F over F sharp
  EXPECT_GT(counts.at(10), counts.count(11) != 0 ? counts.at(11) : 0);  // B flat over B
  const std::vector<PlayedNote> bass = Battle().Notes(*Battle().Part("Bass"));
  EXPECT_EQ(bass.front().key % 12, 2);  // the loop starts on D
}

// ---- The ending theme: moderate, major, slowing onto a held tonic chord. ----

TEST(EndingThemeTest, TempoLengthAndRitardando) {
  ASSERT_EQ(Ending().error, "");
  const std::vector<Tempo> tempos = Ending().Tempos();
  ASSERT_GE(tempos.size(), 3u);
  const uint32_t last_bars = Ending().EndTick() - 4 * kBar;
  for (const Tempo& tempo : tempos) {
    if (tempo.tick >= last_bars) continue;
    EXPECT_GE(tempo.bpm, 85);
    EXPECT_LE(tempo.bpm, 110);
  }
  // After the main tempo, every change slows down, and they all fall in the last four bars.
  for (size_t i = 1; i < tempos.size(); ++i) {
    EXPECT_LT(tempos[i].bpm, tempos[i - 1].bpm);
    EXPECT_GE(tempos[i].tick, last_bars);
  }
  EXPECT_LT(tempos.back().bpm, 0.8 * tempos.front().bpm);
  EXPECT_GE(Ending().Seconds(), 60);
  EXPECT_LE(Ending().Seconds(), 120);
}

TEST(EndingThemeTest, EndsOnAHeldDMajorChord) {
  ASSERT_EQ(Ending().error, "");
  const uint32_t end = Ending().EndTick();
  std::set<int> sounding;
  for (const PlayedNote& note : Ending().AllNotes()) {
    if (note.channel == kDrums || note.end < end) continue;
    sounding.insert(note.key % 12);
    EXPECT_LE(note.start, end - kBar) << "held for at least a bar: key " << note.key;
  }
  EXPECT_EQ(sounding, (std::set<int>{2, 6, 9}));  // D, F sharp, A
}

TEST(EndingThemeTest, IsInDMajorWithAFanfareFirst) {
  ASSERT_EQ(Ending().error, "");
  const std::map<int, int> counts = Ending().PitchClassCounts();
  EXPECT_GT(counts.at(6), counts.count(5) != 0 ? counts.at(5) : 0);  // F sharp over F
  EXPECT_GT(counts.at(1), counts.count(0) != 0 ? counts.at(0) : 0);  // C sharp over C
  // The opening bar belongs to the brass: trumpet and horns (General MIDI 57 to 64).
  for (const char* name : {"Trumpet", "Horns"}) {
    const ReadTrack* part = Ending().Part(name);
    ASSERT_NE(part, nullptr) << name;
    for (const ReadEvent& event : part->events) {
      if (event.status != 0xFF && event.Kind() == 0xC0) {
        EXPECT_GE(event.data[0], 56) << name;
        EXPECT_LE(event.data[0], 63) << name;
      }
    }
    const std::vector<PlayedNote> notes = Ending().Notes(*part);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.front().start, 0u) << name;
  }
  for (const char* name : {"Flute", "Strings", "Bass", "Drums"}) {
    EXPECT_NE(Ending().Part(name), nullptr) << name;
  }
}

}  // namespace
}  // namespace zorsav::mml
