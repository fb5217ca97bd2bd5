// The FluidSynth sequencer rendered offline, through the real interpreter: where plays end,
// how stops, seeks and the loop sound, and the two themes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "platform/mci/midi_file.h"
#include "tests/mci/midi_builder.h"
#include "tests/mci/offline_rig.h"

namespace mci::testing {
namespace {

HWND kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x40});
constexpr double kBlock = static_cast<double>(OfflineRig::kBlockFrames) / OfflineRig::kSampleRate;
constexpr double kTuneSeconds = 2.0;  // Tune(8): eight quarter notes at 240 beats per minute

class OfflineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_.path() / "TUNE.MID", Tune(8));
    tune_ = (dir_.path() / "TUNE.MID").string();
    ASSERT_TRUE(rig_.Ready());
    ASSERT_EQ(rig_.Send("open " + tune_), 0u);
  }

  bool RenderUntilPosted(std::size_t count, double max_seconds) {
    return rig_.RenderUntil([&] { return rig_.posted().size() >= count; }, max_seconds);
  }

  TempDir dir_;
  std::string tune_;
  OfflineRig rig_{dir_.path() / "out.raw"};
};

TEST_F(OfflineTest, PlayNotifyEndsAtTheLastTickWithSoundThroughout) {
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  ASSERT_TRUE(RenderUntilPosted(1, 5.0));
  EXPECT_EQ(rig_.posted()[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(rig_.posted()[0].device, 1);
  EXPECT_NEAR(rig_.posted()[0].at, kTuneSeconds, 2 * kBlock);
  rig_.RenderFor(2.0);
  EXPECT_EQ(rig_.posted().size(), 1u);  // exactly one notification

  const auto samples = rig_.Finish();
  const double playing = Loudness(samples, 0.0, kTuneSeconds);
  EXPECT_GT(playing, 0.01);
  EXPECT_TRUE(QuietStretches(samples, 0.02, kTuneSeconds - 0.02, 0.02, playing / 10).empty());
  EXPECT_LT(Loudness(samples, kTuneSeconds + 1.5, kTuneSeconds + 2.0), playing / 30);
}

// The battle theme's loop: code 1 answered at once with "seek to start" and "play notify".
TEST_F(OfflineTest, LoopRestartsWithoutAGap) {
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  for (std::size_t round = 1; round <= 3; ++round) {
    ASSERT_TRUE(RenderUntilPosted(round, 5.0));
    ASSERT_EQ(rig_.posted().back().code, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_NEAR(rig_.posted().back().at, round * kTuneSeconds, round * kBlock + kBlock);
    ASSERT_EQ(rig_.Send("seek " + tune_ + " to start"), 0u);
    ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  }
  ASSERT_EQ(rig_.Send("stop " + tune_), 0u);
  EXPECT_EQ(rig_.posted().back().code, MCI_NOTIFY_ABORTED);
  const auto samples = rig_.Finish();
  const double playing = Loudness(samples, 0.0, 3 * kTuneSeconds);
  EXPECT_TRUE(QuietStretches(samples, 0.02, 3 * kTuneSeconds, 0.01, playing / 10).empty());
}

// A stop keeps the position: the next play goes on from there and ends the rest later.
TEST_F(OfflineTest, StopSilencesAndPlayResumesWhereItStopped) {
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  rig_.RenderFor(0.5);
  ASSERT_EQ(rig_.Send("stop " + tune_), 0u);
  ASSERT_EQ(rig_.posted().size(), 1u);
  EXPECT_EQ(rig_.posted()[0].code, MCI_NOTIFY_ABORTED);
  rig_.RenderFor(1.5);
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  ASSERT_TRUE(RenderUntilPosted(2, 5.0));
  EXPECT_EQ(rig_.posted()[1].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_NEAR(rig_.posted()[1].at, kTuneSeconds + 1.5, 3 * kBlock);

  const auto samples = rig_.Finish();
  const double playing = Loudness(samples, 0.0, 0.5);
  EXPECT_LT(Loudness(samples, 1.5, 2.0), playing / 30);
  EXPECT_GT(Loudness(samples, 2.0, 3.5), playing / 3);
}

// "seek to start" stops a plain play (nothing is posted) and the next play starts over.
TEST_F(OfflineTest, SeekToStartStopsAndPlayStartsOver) {
  ASSERT_EQ(rig_.Send("play " + tune_), 0u);
  rig_.RenderFor(1.0);
  ASSERT_EQ(rig_.Send("seek " + tune_ + " to start"), 0u);
  rig_.RenderFor(1.5);
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  ASSERT_TRUE(RenderUntilPosted(1, 5.0));
  EXPECT_EQ(rig_.posted()[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_NEAR(rig_.posted()[0].at, 2.5 + kTuneSeconds, 3 * kBlock);
  const auto samples = rig_.Finish();
  EXPECT_LT(Loudness(samples, 2.0, 2.5), Loudness(samples, 0.0, 1.0) / 30);
}

// With nothing left to play, a play ends at once; after a plain play ran out too.
TEST_F(OfflineTest, PlayAtTheEndEndsAtOnce) {
  ASSERT_EQ(rig_.Send("play " + tune_), 0u);
  rig_.RenderFor(kTuneSeconds + 0.5);
  ASSERT_TRUE(rig_.posted().empty());
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  ASSERT_TRUE(RenderUntilPosted(1, 1.0));
  EXPECT_EQ(rig_.posted()[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_LE(rig_.posted()[0].at, kTuneSeconds + 0.5 + 2 * kBlock);
}

TEST_F(OfflineTest, CloseWhilePlayingSilencesAndAborts) {
  ASSERT_EQ(rig_.Send("play " + tune_ + " notify", kWindow), 0u);
  rig_.RenderFor(0.5);
  ASSERT_EQ(rig_.Send("close " + tune_), 0u);
  rig_.RenderFor(kTuneSeconds + 1.0);
  ASSERT_EQ(rig_.posted().size(), 1u);
  EXPECT_EQ(rig_.posted()[0].code, MCI_NOTIFY_ABORTED);
  const auto samples = rig_.Finish();
  EXPECT_LT(Loudness(samples, 1.5, 3.5), Loudness(samples, 0.0, 0.5) / 30);
}

// The two themes that the build writes beside the binaries.
class ThemeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ThemeTest, SoundsForItsNominalLengthWithEveryNoteEnded) {
  const std::filesystem::path path = std::filesystem::path(ZORSAV_MUSIC_DIR) / GetParam();
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not built yet";
  std::ifstream in(path, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto file = ParseMidiFile(bytes);
  ASSERT_TRUE(file.has_value()) << "not a valid Standard MIDI File";
  const double nominal = SecondsAt(*file, TotalTicks(*file));
  ASSERT_GT(nominal, 1.0);

  // Every note-on (velocity above 0) has its note-off on the same channel and key.
  std::map<int, int> sounding;
  for (const MidiTrack& track : file->tracks) {
    for (const MidiEvent& event : track.events) {
      const int kind = event.status & 0xF0;
      const int key = ((event.status & 0x0F) << 8) | event.data1;
      if (kind == 0x90 && event.data2 > 0) ++sounding[key];
      if (kind == 0x80 || (kind == 0x90 && event.data2 == 0)) --sounding[key];
    }
  }
  for (const auto& [key, count] : sounding) {
    EXPECT_EQ(count, 0) << "channel " << (key >> 8) << " key " << (key & 0xFF);
  }

  TempDir dir;
  OfflineRig rig(dir.path() / "theme.raw");
  ASSERT_TRUE(rig.Ready());
  ASSERT_EQ(rig.Send("open " + path.string()), 0u);
  ASSERT_EQ(rig.Send("play " + path.string() + " notify", kWindow), 0u);
  ASSERT_TRUE(rig.RenderUntil([&] { return !rig.posted().empty(); }, nominal + 5.0));
  EXPECT_EQ(rig.posted()[0].code, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_NEAR(rig.posted()[0].at, nominal, 2 * kBlock);
  const auto samples = rig.Finish();
  const double loudness = Loudness(samples, 0.0, nominal);
  EXPECT_GT(loudness, 0.005);
  // No second of the theme is silent.
  EXPECT_TRUE(QuietStretches(samples, 0.0, nominal - 1.0, 1.0, loudness / 50).empty());
}

INSTANTIATE_TEST_SUITE_P(Themes, ThemeTest, ::testing::Values("ZORSAVM1.MID", "ZORSAVM2.MID"),
                         [](const auto& info) { return std::string(info.param).substr(0, 8); });

}  // namespace
}  // namespace mci::testing
