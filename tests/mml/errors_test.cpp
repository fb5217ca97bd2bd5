// Every fault in a score is reported with its line and column, and nothing is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "compiler.h"
#include "file_compiler.h"

namespace zorsav::mml {
namespace {

struct ErrorCase {
  const char* name;
  std::string score;
  int line;
  int column;
  std::string message;  // a part of the message that names the fault
};

class ErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTest, ReportsLineColumnAndMessage) {
  const CompileResult result = CompileScore(GetParam().score);
  ASSERT_FALSE(result.ok());
  EXPECT_TRUE(result.midi.empty());
  EXPECT_EQ(result.error->loc.line, GetParam().line);
  EXPECT_EQ(result.error->loc.column, GetParam().column);
  EXPECT_NE(result.error->message.find(GetParam().message), std::string::npos)
      << result.error->message;
}

const std::string kTrack = "#track 1 ch=1\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, ErrorTest,
    ::testing::Values(
        ErrorCase{"UnknownCommand", kTrack + "c4 x", 2, 4, "unknown command 'x'"},
        ErrorCase{"UnknownSymbol", kTrack + "c4 @", 2, 4, "unknown command '@'"},
        ErrorCase{"NumberWithoutCommand", kTrack + "c4 | 8", 2, 6, "number without a command"},
        ErrorCase{"LengthNotDividingAWhole", kTrack + "c7", 2, 2, "length 7"},
        ErrorCase{"LengthZero", kTrack + "l0", 2, 2, "length 0"},
        ErrorCase{"NumberTooLarge", kTrack + "c99999999999", 2, 2, "too large"},
        ErrorCase{"DotsBelowOneTick", kTrack + "c32...", 2, 2, "dotted length"},
        ErrorCase{"OctaveOutOfRange", kTrack + "o10", 2, 2, "octave 10"},
        ErrorCase{"OctaveUpPastNine", kTrack + "o9 c >", 2, 6, "octave 10"},
        ErrorCase{"OctaveDownPastZero", kTrack + "o0 <", 2, 4, "octave -1"},
        ErrorCase{"NoteAboveKey127", kTrack + "o9 a", 2, 4, "note 129"},
        ErrorCase{"TransposedBelowKeyZero", kTrack + "o0 k-13 c", 2, 9, "note -1"},
        ErrorCase{"VelocityZero", kTrack + "v0", 2, 2, "velocity 0"},
        ErrorCase{"VelocityTooHigh", kTrack + "v128", 2, 2, "velocity 128"},
        ErrorCase{"VelocityStepPast127", kTrack + "v127 v+1", 2, 6, "velocity 128"},
        ErrorCase{"GateOutOfRange", kTrack + "q9", 2, 2, "gate 9"},
        ErrorCase{"TempoOutOfRange", kTrack + "t10", 2, 2, "tempo 10"},
        ErrorCase{"KeyNumberOutOfRange", kTrack + "n128", 2, 2, "key number 128"},
        ErrorCase{"ProgramOutOfRange", "#track 1 ch=1 program=129\nc", 1, 23, "program 129"},
        ErrorCase{"ChannelOutOfRange", "#track 1 ch=17\nc", 1, 13, "ch 17"},
        ErrorCase{"UnknownTrackSetting", "#track 1 chan=1\nc", 1, 10, "unknown track setting"},
        ErrorCase{"ChannelUsedTwice", kTrack + "c\n#track 2 ch=1\nc", 3, 1, "channel 1"},
        ErrorCase{"ColumnsCountCharacters", "#track 1 \"\xE3\x82\xBE\xE3\x83\xAB\" ch=99\nc", 1, 18,
                  "ch 99"},
        ErrorCase{"UnterminatedString", "#track 1 \"Lead ch=1\nc", 1, 10, "unterminated"},
        ErrorCase{"UnknownDirective", "#tmpo 120\n" + kTrack + "c", 1, 1, "unknown directive"},
        ErrorCase{"TempoAfterTracks", kTrack + "c\n#tempo 100", 3, 1, "before the first"},
        ErrorCase{"BeatUnitNotPowerOfTwo", "#time 4/3\n" + kTrack + "c", 1, 9, "power of two"},
        ErrorCase{"MusicOutsideATrack", "c d e\n" + kTrack + "c", 1, 1, "outside"},
        ErrorCase{"NoTrack", "; nothing\n", 1, 1, "no #track"},
        ErrorCase{"UnclosedLoop", kTrack + "c [d e", 2, 3, "not closed"},
        ErrorCase{"StrayLoopEnd", kTrack + "c ]", 2, 3, "without a matching"},
        ErrorCase{"LoopCountOutOfRange", kTrack + "[c]0", 2, 4, "loop count 0"},
        ErrorCase{"BreakOutsideLoop", kTrack + "c / d", 2, 3, "outside a loop"},
        ErrorCase{"UnclosedChord", kTrack + "{c e", 2, 1, "not closed"},
        ErrorCase{"EmptyChord", kTrack + "{}4", 2, 1, "empty chord"},
        ErrorCase{"RestInChord", kTrack + "{c r}4", 2, 4, "only notes"},
        ErrorCase{"SameNoteTwiceInChord", kTrack + "{c e > < c}", 2, 10, "twice"},
        ErrorCase{"TieToAnotherNote", kTrack + "c4&d4", 2, 3, "different pitch"},
        ErrorCase{"TieToNothing", kTrack + "c4& r", 2, 3, "'&' must be followed"},
        ErrorCase{"AccentWithoutNote", kTrack + "'r", 2, 1, "accent"},
        ErrorCase{"UnknownPhrase", kTrack + "$nope", 2, 1, "unknown phrase '$nope'"},
        ErrorCase{"PhraseCannotCallItself", "#phrase p\nc $p\n" + kTrack + "$p", 2, 3,
                  "unknown phrase"},
        ErrorCase{"DrumLetterOffTheDrumChannel", kTrack + "c B4", 2, 3, "drum"},
        ErrorCase{"UnknownDrum", "#track 1 ch=10\nZ4", 2, 1, "unknown drum 'Z'"},
        ErrorCase{"BarCheckOffTheBarLine", kTrack + "l4 c c c | c", 2, 10, "1440 ticks into bar 1"},
        ErrorCase{"BarCheckOnALaterLine", kTrack + "c1 |\nc2 c4 |", 3, 7, "1440 ticks into bar 2"},
        ErrorCase{"BarCheckFollowsTheTimeSignature", "#time 3/4\n" + kTrack + "c1 |", 3, 4,
                  "480 ticks into bar 2"},
        ErrorCase{"BarCheckInAPhraseNamesTheCall", "#phrase p\nc4 |\n" + kTrack + "c1 |\n$p", 2, 4,
                  "in $p played at line 5"},
        ErrorCase{"TracksOfDifferentLengths", kTrack + "c1\n#track 2 ch=2\nc2", 3, 1,
                  "track 2 ends 960 ticks before"},
        ErrorCase{"CharacterOutsideComments", kTrack + "c \xC3\xA9", 2, 3, "unexpected character"},
        ErrorCase{"RunawayLoopsStop", kTrack + "[[[[[c1]255]255]255]255]255", 2, 6, "too long"},
        ErrorCase{"RunawayEmptyLoopsStop", kTrack + "[[[[[]255]255]255]255]255 c", 2, 5,
                  "too long"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

// Compiling through files, as the build does.
class CompileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zorsav_mml_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    score_ = (dir_ / "score.mml").string();
    midi_ = (dir_ / "out.mid").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  std::filesystem::path dir_;
  std::string score_;
  std::string midi_;
};

TEST_F(CompileFileTest, BadScoreReportsFileLineColumnAndLeavesNoOutput) {
  WriteFile(score_, kTrack + "c4 x\n");
  WriteFile(midi_, "a stale file from an earlier build");
  std::ostringstream errors;
  EXPECT_EQ(CompileFile(score_, midi_, errors), 1);
  EXPECT_EQ(errors.str(), score_ + ":2:4: error: unknown command 'x'\n");
  EXPECT_FALSE(std::filesystem::exists(midi_));
  EXPECT_FALSE(std::filesystem::exists(midi_ + ".tmp"));
}

TEST_F(CompileFileTest, GoodScoreWritesTheCompiledBytes) {
  const std::string score = kTrack + "c d e f |\n";
  WriteFile(score_, score);
  std::ostringstream errors;
  EXPECT_EQ(CompileFile(score_, midi_, errors), 0);
  EXPECT_EQ(errors.str(), "");
  std::ifstream in(midi_, std::ios::binary);
  const std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
  EXPECT_EQ(written, CompileScore(score).midi);
}

TEST_F(CompileFileTest, MissingScoreFailsWithoutOutput) {
  std::ostringstream errors;
  EXPECT_EQ(CompileFile(score_, midi_, errors), 1);
  EXPECT_NE(errors.str().find(score_ + ":1:1: error:"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(midi_));
}

TEST_F(CompileFileTest, UnwritableOutputFailsAndLeavesNothing) {
  WriteFile(score_, kTrack + "c\n");
  const std::string midi = (dir_ / "no_such_dir" / "out.mid").string();
  std::ostringstream errors;
  EXPECT_EQ(CompileFile(score_, midi, errors), 1);
  EXPECT_NE(errors.str().find("cannot write"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(midi));
}

}  // namespace
}  // namespace zorsav::mml
