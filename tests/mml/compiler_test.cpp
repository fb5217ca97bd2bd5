// What the score language means: notes, lengths, octaves, ties, loops and phrases to exact ticks
// and keys, and the shape of the MIDI file every score becomes.
#include <gtest/gtest.h>

#include <string>

#include "compiler.h"
#include "midi_reader.h"

namespace zorsav::mml {
namespace {

using testing::PlayedNote;
using testing::ReadMidi;

ReadMidi CompileOk(const std::string& score) {
  const CompileResult result = CompileScore(score);
  EXPECT_TRUE(result.ok()) << result.error->loc.line << ":" << result.error->loc.column << ": "
                           << result.error->message;
  ReadMidi midi = testing::ReadMidiBytes(result.midi);
  EXPECT_EQ(midi.error, "");
  return midi;
}

struct Expected {
  uint32_t start;
  uint32_t end;
  int key;
};

struct SemanticsCase {
  const char* name;
  std::string score;  // a full score; most cases are one track on channel 1
  std::vector<Expected> notes;
};

class SemanticsTest : public ::testing::TestWithParam<SemanticsCase> {};

TEST_P(SemanticsTest, PlacesNotesAtExactTicks) {
  const ReadMidi midi = CompileOk(GetParam().score);
  ASSERT_GE(midi.tracks.size(), 2u);
  std::string problem;
  const std::vector<PlayedNote> notes = testing::PairNotes(midi.tracks[1], &problem);
  EXPECT_EQ(problem, "");
  ASSERT_EQ(notes.size(), GetParam().notes.size());
  for (size_t i = 0; i < notes.size(); ++i) {
    SCOPED_TRACE("note " + std::to_string(i));
    EXPECT_EQ(notes[i].start, GetParam().notes[i].start);
    EXPECT_EQ(notes[i].end, GetParam().notes[i].end);
    EXPECT_EQ(notes[i].key, GetParam().notes[i].key);
  }
}

const std::string kTrack = "#track 1 ch=1\n";

INSTANTIATE_TEST_SUITE_P(
    Language, SemanticsTest,
    ::testing::Values(
        SemanticsCase{"Letters",
                      kTrack + "q8 c d e f g a b",
                      {{0, 480, 60},
                       {480, 960, 62},
                       {960, 1440, 64},
                       {1440, 1920, 65},
                       {1920, 2400, 67},
                       {2400, 2880, 69},
                       {2880, 3360, 71}}},
        SemanticsCase{
            "Accidentals",
            kTrack + "q8 c+ d- e# b-- f+-",
            {{0, 480, 61}, {480, 960, 61}, {960, 1440, 65}, {1440, 1920, 69}, {1920, 2400, 65}}},
        SemanticsCase{"Lengths",
                      kTrack + "q8 c1 c2 c8 c16 c32 c3",
                      {{0, 1920, 60},
                       {1920, 2880, 60},
                       {2880, 3120, 60},
                       {3120, 3240, 60},
                       {3240, 3300, 60},
                       {3300, 3940, 60}}},
        SemanticsCase{
            "Dots", kTrack + "q8 c4. c4.. c2.", {{0, 720, 60}, {720, 1560, 60}, {1560, 3000, 60}}},
        SemanticsCase{"DefaultLength",
                      kTrack + "q8 l8 c c. l16. c",
                      {{0, 240, 60}, {240, 600, 60}, {600, 780, 60}}},
        SemanticsCase{
            "Octaves",
            kTrack + "q8 o2 c > c < < c o9 g o0 c",
            {{0, 480, 36}, {480, 960, 48}, {960, 1440, 24}, {1440, 1920, 127}, {1920, 2400, 12}}},
        SemanticsCase{"Ties",
                      kTrack + "q8 c4&c8 d4&8&16 e4.&{e}8",
                      {{0, 720, 60}, {720, 1560, 62}, {1560, 2520, 64}}},
        SemanticsCase{"GateShortensTheLastPieceOnly",
                      kTrack + "q4 c4 q7 c8&c8 q1 c8",
                      {{0, 240, 60}, {480, 930, 60}, {960, 990, 60}}},
        SemanticsCase{"Rests", kTrack + "q8 r4 c4 r8. c8", {{480, 960, 60}, {1320, 1560, 60}}},
        SemanticsCase{"Loop",
                      kTrack + "q8 l8 [c d]3 e",
                      {{0, 240, 60},
                       {240, 480, 62},
                       {480, 720, 60},
                       {720, 960, 62},
                       {960, 1200, 60},
                       {1200, 1440, 62},
                       {1440, 1680, 64}}},
        SemanticsCase{"NestedLoopDefaultsToTwice",
                      kTrack + "q8 l8 [[c]3 d]",
                      {{0, 240, 60},
                       {240, 480, 60},
                       {480, 720, 60},
                       {720, 960, 62},
                       {960, 1200, 60},
                       {1200, 1440, 60},
                       {1440, 1680, 60},
                       {1680, 1920, 62}}},
        SemanticsCase{"LoopBreakSkipsTheTailOnTheLastPass",
                      kTrack + "q8 l8 [c / d]3 e",
                      {{0, 240, 60},
                       {240, 480, 62},
                       {480, 720, 60},
                       {720, 960, 62},
                       {960, 1200, 60},
                       {1200, 1440, 64}}},
        SemanticsCase{"PhrasePlaysInTheCallersState",
                      "#phrase p\nc d\n" + kTrack + "q8 l8 $p o5 $p",
                      {{0, 240, 60}, {240, 480, 62}, {480, 720, 72}, {720, 960, 74}}},
        SemanticsCase{"ChordShareStartAndLength",
                      kTrack + "q8 {c e g}2 {c > c}4 d4",
                      {{0, 960, 60},
                       {0, 960, 64},
                       {0, 960, 67},
                       {960, 1440, 60},
                       {960, 1440, 72},
                       {1440, 1920, 62}}},
        SemanticsCase{"TransposeMovesLettersNotKeyNumbers",
                      kTrack + "q8 k2 c4 k-12 c4 n60,4 n61",
                      {{0, 480, 62}, {480, 960, 48}, {960, 1440, 60}, {1440, 1920, 61}}},
        SemanticsCase{
            "DrumLetters",
            "#track 1 ch=10\nq8 B8 S8 {B H}4 n49,4",
            {{0, 240, 36}, {240, 480, 38}, {480, 960, 36}, {480, 960, 42}, {960, 1440, 49}}}),
    [](const ::testing::TestParamInfo<SemanticsCase>& info) { return info.param.name; });

TEST(VelocityTest, SetStepAndAccent) {
  const ReadMidi midi = CompileOk(kTrack + "v90 c 'c v+10 c v-50 c v120 'c {c e}");
  std::string problem;
  const std::vector<PlayedNote> notes = testing::PairNotes(midi.tracks[1], &problem);
  std::vector<int> velocities;
  for (const PlayedNote& note : notes) velocities.push_back(note.velocity);
  EXPECT_EQ(velocities, (std::vector<int>{90, 110, 100, 50, 127, 120, 120}));
}

// Two parts, a time signature, a tempo change and a marker: the structure around the notes.
class FileShapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    midi_ = CompileOk(
        "#title \"Shape\"\n#tempo 150\n#time 3/4\n"
        "#track 1 \"Lead\" ch=3 program=81 volume=90 pan=20\n"
        "q8 c4 c4 *\"B\" t75 c4 | c2.\n"
        "#track 2 \"Bass\" ch=4 program=34\n"
        "o2 c2. | r2.\n");
  }
  ReadMidi midi_;
};

TEST_F(FileShapeTest, IsFormatOneWithATempoTrackFirst) {
  EXPECT_EQ(midi_.format, 1);
  EXPECT_EQ(midi_.division, 480);
  ASSERT_EQ(midi_.tracks.size(), 3u);
  const auto& tempo = midi_.tracks[0].events;
  ASSERT_GE(tempo.size(), 5u);
  EXPECT_EQ(midi_.tracks[0].Name(), "Shape");
  EXPECT_EQ(tempo[1].meta_type, 0x58);
  EXPECT_EQ(tempo[1].data, (std::vector<uint8_t>{3, 2, 24, 8}));
  EXPECT_EQ(tempo[2].meta_type, 0x51);
  EXPECT_EQ(tempo[2].data, (std::vector<uint8_t>{0x06, 0x1A, 0x80}));  // 400000 us
  EXPECT_EQ(tempo[3].tick, 960u);
  EXPECT_EQ(tempo[3].meta_type, 0x51);
  EXPECT_EQ(tempo[3].data, (std::vector<uint8_t>{0x0C, 0x35, 0x00}));  // 800000 us
  EXPECT_EQ(tempo[4].tick, 960u);
  EXPECT_EQ(tempo[4].meta_type, 0x06);
  EXPECT_EQ(std::string(tempo[4].data.begin(), tempo[4].data.end()), "B");
}

TEST_F(FileShapeTest, EveryPartStartsWithProgramVolumeAndPan) {
  struct Setup {
    std::string name;
    int status_channel;
    int program;
    int volume;
    int pan;
  };
  const std::vector<Setup> setups = {{"Lead", 2, 80, 90, 20}, {"Bass", 3, 33, 100, 64}};
  for (size_t i = 0; i < setups.size(); ++i) {
    SCOPED_TRACE(setups[i].name);
    const auto& events = midi_.tracks[i + 1].events;
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(midi_.tracks[i + 1].Name(), setups[i].name);
    EXPECT_EQ(events[1].status, 0xC0 | setups[i].status_channel);
    EXPECT_EQ(events[1].data[0], setups[i].program);
    EXPECT_EQ(events[2].status, 0xB0 | setups[i].status_channel);
    EXPECT_EQ(events[2].data, (std::vector<uint8_t>{7, static_cast<uint8_t>(setups[i].volume)}));
    EXPECT_EQ(events[3].data, (std::vector<uint8_t>{10, static_cast<uint8_t>(setups[i].pan)}));
  }
}

TEST_F(FileShapeTest, EveryTrackEndsAtTheSameTick) {
  for (const auto& track : midi_.tracks) {
    ASSERT_FALSE(track.events.empty());
    const auto& last = track.events.back();
    EXPECT_EQ(last.status, 0xFF);
    EXPECT_EQ(last.meta_type, 0x2F);
    EXPECT_EQ(last.tick, 2880u);  // two bars of 3/4
    for (const auto& event : track.events) EXPECT_LE(event.tick, last.tick);
  }
}

TEST_F(FileShapeTest, RepeatedKeyIsReleasedBeforeItIsStruckAgain) {
  const auto& events = midi_.tracks[1].events;
  for (size_t i = 1; i < events.size(); ++i) {
    if (events[i].IsNoteOff() && events[i - 1].IsNoteOn() && events[i].tick == events[i - 1].tick) {
      ADD_FAILURE() << "note-off after note-on at tick " << events[i].tick;
    }
  }
  std::string problem;
  EXPECT_EQ(testing::PairNotes(midi_.tracks[1], &problem).size(), 4u);
  EXPECT_EQ(problem, "");
}

}  // namespace
}  // namespace zorsav::mml
