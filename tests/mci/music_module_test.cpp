// The music module as the program loads it: the real one answers as the interpreter does, and
// a missing or foreign one leaves the game silent, saying so once, without failing.
#include "platform/sound/music_module.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/mci/mci.h"
#include "tests/mci/child_process.h"

namespace mci::testing {
namespace {

void IgnoreNotify(HWND, WPARAM, LPARAM) {}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

struct BrokenModuleCase {
  const char* what;
  std::string path;
  const char* says;
};

class BrokenModuleTest : public ::testing::TestWithParam<BrokenModuleCase> {};

TEST_P(BrokenModuleTest, EveryCommandFailsAndTheReasonIsSaidOnce) {
  sound::MusicModule music(GetParam().path, &IgnoreNotify);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(music.SendString("open ZORSAVM1.MID", nullptr), MCIERR_CANNOT_LOAD_DRIVER);
  music.Load();
  EXPECT_EQ(music.SendString("play ZORSAVM1.MID notify", nullptr), MCIERR_CANNOT_LOAD_DRIVER);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountOf(said, "zorsav: no music: "), 1) << said;
  EXPECT_NE(said.find(GetParam().says), std::string::npos) << said;
  EXPECT_FALSE(music.Loaded());
}

INSTANTIATE_TEST_SUITE_P(
    Modules, BrokenModuleTest,
    ::testing::Values(
        BrokenModuleCase{"missing", "/nonexistent/libzorsav-sound.so", "/nonexistent/"},
        // A real library, but not ours: it has no music entry point.
        BrokenModuleCase{"foreign", "libm.so.6", "is not this program's music module"}),
    [](const ::testing::TestParamInfo<BrokenModuleCase>& info) { return info.param.what; });

TEST(MusicModuleTest, TheBuiltModuleAnswersAsTheInterpreterDoes) {
  ScopedEnv no_server("PULSE_SERVER", "unix:/nonexistent/pulse");
  sound::MusicModule music(ZORSAV_SOUND_MODULE, &IgnoreNotify);
  auto direct = CreateSystemInterpreter([](HWND, WPARAM, LPARAM) {});
  for (const char* command : {"open /nonexistent/NONE.MID", "play NONE.MID notify",
                              "dance ZORSAVM1.MID", "seek ZORSAVM1.MID to end"}) {
    EXPECT_EQ(music.SendString(command, nullptr), direct->SendString(command, nullptr)) << command;
  }
  EXPECT_TRUE(music.Loaded());
}

}  // namespace
}  // namespace mci::testing
