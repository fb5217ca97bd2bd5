// The system interpreter where there can be no music: every command fails, nothing is posted,
// nothing crashes, and at most one line on stderr says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <optional>

#include "platform/mci/mci.h"
#include "tests/mci/child_process.h"
#include "tests/mci/midi_builder.h"

namespace mci::testing {
namespace {

HWND kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x40});

int CountLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct NoMusicCase {
  std::string name;
  std::string soundfont;
  const char* pulse_server;  // nullptr: as the environment has it
  MCIERROR error;
};

void PrintTo(const NoMusicCase& value, std::ostream* out) { *out << value.name; }

class NoMusicTest : public ::testing::TestWithParam<NoMusicCase> {};

TEST_P(NoMusicTest, EveryCommandFailsSilently) {
  TempDir dir;
  const std::string song = (dir.path() / "ZORSAVM1.MID").string();
  WriteFile(song, Tune(2));
  std::optional<ScopedEnv> server;
  if (GetParam().pulse_server) server.emplace("PULSE_SERVER", GetParam().pulse_server);

  std::atomic<int> posted{0};
  ::testing::internal::CaptureStderr();
  {
    SystemOptions options;
    options.soundfont = GetParam().soundfont;
    auto interpreter = CreateSystemInterpreter([&](HWND, WPARAM, LPARAM) { ++posted; }, options);
    ASSERT_EQ(interpreter->WaitUntilSettled(std::chrono::seconds(30)), Readiness::kFailed);
    for (const std::string& command :
         {"open " + song, "play " + song + " notify", "seek " + song + " to start", "stop " + song,
          "close " + song, "play " + song}) {
      EXPECT_EQ(interpreter->SendString(command, kWindow), GetParam().error) << command;
    }
  }
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_LE(CountLines(said), 1) << said;
  if (!said.empty()) {
    EXPECT_NE(said.find("no music"), std::string::npos) << said;
  }
  EXPECT_EQ(posted, 0);
}

INSTANTIATE_TEST_SUITE_P(
    System, NoMusicTest,
    ::testing::Values(
        NoMusicCase{"NoSoundfont", "/nonexistent/none.sf2", nullptr, MCIERR_SEQ_NOMIDIPRESENT},
        NoMusicCase{"NotASoundfont", "/etc/hostname", nullptr, MCIERR_SEQ_NOMIDIPRESENT},
        NoMusicCase{"NoSoundServer", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                    "unix:/nonexistent/pulse/native", MCIERR_HARDWARE}),
    [](const auto& info) { return info.param.name; });

// Destroyed while the system soundfont is still loading, with a play already queued.
TEST(SystemInterpreterTest, DestroyedWhilePreparingPostsNothing) {
  TempDir dir;
  const std::string song = (dir.path() / "ZORSAVM1.MID").string();
  WriteFile(song, Tune(2));
  ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/pulse/native");
  std::atomic<int> posted{0};
  for (int round = 0; round < 2; ++round) {
    auto interpreter = CreateSystemInterpreter([&](HWND, WPARAM, LPARAM) { ++posted; });
    interpreter->SendString("open " + song, nullptr);
    interpreter->SendString("play " + song + " notify", kWindow);
  }
  EXPECT_EQ(posted, 0);
}

}  // namespace
}  // namespace mci::testing
