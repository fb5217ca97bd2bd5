// The file checks made at open: broken files fail there, with an error and nothing posted.
#include <gtest/gtest.h>

#include "platform/mci/mci.h"
#include "platform/mci/midi_file.h"
#include "tests/mci/fake_sequencer.h"
#include "tests/mci/midi_builder.h"

namespace mci::testing {
namespace {

Bytes OneTrack(const TrackWriter& track) { return BuildMidi(0, 96, {track.body()}); }

Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

Bytes Cut(Bytes bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

Bytes Appended(Bytes bytes, const Bytes& tail) {
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

const Bytes kGood = Tune(4);
constexpr std::size_t kTrackLengthAt = 14 + 4;  // after the header chunk and "MTrk"

struct BadFile {
  std::string name;
  Bytes bytes;
};

void PrintTo(const BadFile& value, std::ostream* out) { *out << value.name; }

const std::vector<BadFile> kBadFiles = {
    {"ZeroBytes", {}},
    {"HeaderOnly", Cut(kGood, 14)},
    {"TruncatedInsideTheTrack", Cut(kGood, kGood.size() - 5)},
    {"TruncatedInsideTheHeader", Cut(kGood, 10)},
    {"TrackLengthBeyondTheFile", WithByte(kGood, kTrackLengthAt + 2, 0x7F)},
    {"TrackLengthShortOfItsEvents", WithByte(kGood, kTrackLengthAt + 3, 10)},
    {"WrongMagic", WithByte(kGood, 3, 'x')},
    {"HeaderLengthNotSix", WithByte(kGood, 7, 7)},
    {"RiffWrapped", Appended({'R', 'I', 'F', 'F', 0, 0, 0, 0}, kGood)},
    {"FormatTwo", WithByte(kGood, 9, 2)},
    {"FormatZeroWithTwoTracks",
     BuildMidi(0, 96, {TrackWriter().EndOfTrack(0).body(), TrackWriter().EndOfTrack(0).body()})},
    {"MoreTracksDeclaredThanPresent", WithByte(kGood, 11, 2)},
    {"MoreTracksPresentThanDeclared",
     WithByte(
         BuildMidi(1, 96, {TrackWriter().EndOfTrack(0).body(), TrackWriter().EndOfTrack(0).body()}),
         11, 1)},
    {"NoTracks", WithByte(kGood, 11, 0)},
    {"SmpteDivision", WithByte(kGood, 12, 0xE7)},
    {"ZeroDivision", WithByte(WithByte(kGood, 12, 0), 13, 0)},
    {"NoEndOfTrack", OneTrack(TrackWriter().Event(0, {0x90, 60, 100}).Event(96, {0x80, 60, 0}))},
    {"DataByteWithoutRunningStatus", OneTrack(TrackWriter().Event(0, {60, 100}).EndOfTrack(0))},
    {"DataByteOutOfRange", OneTrack(TrackWriter().Event(0, {0x90, 0xC0, 100}).EndOfTrack(0))},
    {"MetaLongerThanTheTrack",
     OneTrack(TrackWriter().Event(0, {0xFF, 0x01, 0x40, 'a'}).EndOfTrack(0))},
    {"SystemRealTimeInTrack", OneTrack(TrackWriter().Event(0, {0xF8}).EndOfTrack(0))},
    {"OverlongDeltaTime",
     OneTrack(TrackWriter().Event(0, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F}).EndOfTrack(0))},
};

class BadFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadFileTest, IsRejectedByTheParser) {
  EXPECT_FALSE(ParseMidiFile(GetParam().bytes).has_value());
}

TEST_P(BadFileTest, FailsAtOpenAndPostsNothing) {
  TempDir dir;
  const auto path = (dir.path() / "BAD.MID").string();
  WriteFile(path, GetParam().bytes);
  FakeSequencer::State state;
  int posted = 0;
  Interpreter interpreter(std::make_unique<FakeSequencer>(state),
                          [&](HWND, WPARAM, LPARAM) { ++posted; });
  EXPECT_EQ(interpreter.SendString("open " + path, nullptr), MCIERR_INVALID_FILE);
  EXPECT_EQ(interpreter.SendString("play " + path + " notify", nullptr),
            MCIERR_INVALID_DEVICE_NAME);
  EXPECT_TRUE(state.calls.empty());
  EXPECT_EQ(posted, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFileTest, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return info.param.name; });

TEST(OpenFileTest, MissingFileAndFolderAreNotFound) {
  TempDir dir;
  FakeSequencer::State state;
  int posted = 0;
  Interpreter interpreter(std::make_unique<FakeSequencer>(state),
                          [&](HWND, WPARAM, LPARAM) { ++posted; });
  EXPECT_EQ(interpreter.SendString("open " + (dir.path() / "NONE.MID").string(), nullptr),
            MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(interpreter.SendString("open " + dir.path().string(), nullptr), MCIERR_FILE_NOT_FOUND);
  EXPECT_TRUE(state.calls.empty());
  EXPECT_EQ(posted, 0);
}

struct GoodFile {
  std::string name;
  Bytes bytes;
  std::uint32_t total_ticks;
  double seconds;
};

void PrintTo(const GoodFile& value, std::ostream* out) { *out << value.name; }

const std::vector<GoodFile> kGoodFiles = {
    {"TuneOfFourQuarters", Tune(4, 250000, 96), 4 * 96, 1.0},
    {"RunningStatusAndSysEx",
     OneTrack(TrackWriter()
                  .Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
                  .Event(0, {0x90, 60, 100})
                  .Event(48, {62, 100})
                  .Event(48, {60, 0})
                  .Event(0, {62, 0})
                  .EndOfTrack(96)),
     192, 1.0},
    {"UnknownChunkIsSkipped",
     [] {
       Bytes bytes = Tune(2, 500000, 96);
       const Bytes alien = {'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2};
       bytes.insert(bytes.begin() + 14, alien.begin(), alien.end());
       return bytes;
     }(),
     192, 1.0},
    {"FormatOneTempoTrackChangesTempoMidway",
     BuildMidi(
         1, 100,
         {TrackWriter().Tempo(0, 1000000).Tempo(100, 250000).EndOfTrack(0).body(),
          TrackWriter().Event(0, {0x90, 60, 1}).Event(300, {0x80, 60, 0}).EndOfTrack(100).body()}),
     400, 1.0 + 0.75},
    {"StrayBytesAfterTheLastChunk", Appended(Tune(1, 500000, 96), {0, 0, 0}), 96, 0.5},
};

class GoodFileTest : public ::testing::TestWithParam<GoodFile> {};

TEST_P(GoodFileTest, ParsesWithItsLength) {
  const auto file = ParseMidiFile(GetParam().bytes);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(TotalTicks(*file), GetParam().total_ticks);
  EXPECT_NEAR(SecondsAt(*file, TotalTicks(*file)), GetParam().seconds, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Files, GoodFileTest, ::testing::ValuesIn(kGoodFiles),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mci::testing
