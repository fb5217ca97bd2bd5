// One real play: the system interpreter plays a short tune into a PulseAudio null sink that the
// test starts for itself, and the sink's monitor is recorded.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "platform/mci/mci.h"
#include "tests/mci/child_process.h"
#include "tests/mci/midi_builder.h"
#include "tests/mci/offline_rig.h"

namespace mci::testing {
namespace {

using std::chrono::seconds;

constexpr int kRate = 44100;
constexpr double kTuneSeconds = 2.0;
constexpr char kSink[] = "mci_test_sink";

std::uintmax_t FileSize(const std::filesystem::path& path) {
  std::error_code code;
  const auto size = std::filesystem::file_size(path, code);
  return code ? 0 : size;
}

// The recording (16-bit stereo at 44.1 kHz) mixed to mono floats.
std::vector<float> ReadRecording(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::vector<float> mono(bytes.size() / 4);
  for (std::size_t i = 0; i < mono.size(); ++i) {
    std::int16_t frame[2];
    std::memcpy(frame, bytes.data() + 4 * i, sizeof(frame));
    mono[i] = (frame[0] + frame[1]) / 65536.0f;
  }
  return mono;
}

// A private PulseAudio server with a null sink, and a recorder on its monitor.
class PulseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string pulseaudio = FindProgram("pulseaudio");
    const std::string parec = FindProgram("parec");
    const std::string pactl = FindProgram("pactl");
    if (pulseaudio.empty() || parec.empty() || pactl.empty()) {
      GTEST_SKIP() << "pulseaudio, parec or pactl is not installed";
    }
    const auto home = dir_.path() / "home";
    const auto runtime = dir_.path() / "runtime";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(runtime);
    socket_ = (dir_.path() / "native").string();
    server_ = "unix:" + socket_;
    const std::map<std::string, std::string> env = {{"HOME", home.string()},
                                                    {"XDG_RUNTIME_DIR", runtime.string()}};
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{pulseaudio, "-n", "--daemonize=no", "--exit-idle-time=-1",
                                 "--disable-shm=yes", "-L",
                                 "module-native-protocol-unix auth-anonymous=1 socket=" + socket_,
                                 "-L", std::string("module-null-sink sink_name=") + kSink},
        env, dir_.path() / "pulseaudio.log");
    const std::string probe =
        pactl + " -s " + server_ + " list short sinks 2>/dev/null | grep -q " + kSink;
    if (!daemon_->started() ||
        !WaitFor([&] { return std::system(probe.c_str()) == 0; }, seconds(15))) {
      GTEST_SKIP() << "the PulseAudio server did not start";
    }
    recording_ = dir_.path() / "monitor.raw";
    recorder_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{parec, "-s", server_, "-d", std::string(kSink) + ".monitor",
                                 "--latency-msec=20", "--format=s16le", "--rate=44100",
                                 "--channels=2", "--raw"},
        env, recording_);
    ASSERT_TRUE(WaitFor([&] { return FileSize(recording_) > 0; }, seconds(15)));
  }

  // Whether some program has a stream open on the server.
  bool HasStream() const {
    const std::string list =
        FindProgram("pactl") + " -s " + server_ + " list short sink-inputs 2>/dev/null | grep -q .";
    return std::system(list.c_str()) == 0;
  }

  void TearDown() override {
    recorder_.reset();
    daemon_.reset();
  }

  TempDir dir_;
  std::string socket_;
  std::string server_;
  std::filesystem::path recording_;
  std::unique_ptr<ChildProcess> daemon_;
  std::unique_ptr<ChildProcess> recorder_;
};

TEST_F(PulseTest, PlaysATuneIntoTheSinkAndNotifiesAtItsEnd) {
  const std::string song = (dir_.path() / "TUNE.MID").string();
  WriteFile(song, Tune(8));
  ScopedEnv server("PULSE_SERVER", server_.c_str());

  std::mutex mutex;
  std::condition_variable posted;
  std::vector<std::pair<WPARAM, HWND>> notes;
  const HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x40});
  SystemOptions options;
  options.soundfont = kTestSoundfont;
  auto interpreter = CreateSystemInterpreter(
      [&](HWND callback, WPARAM code, LPARAM) {
        std::lock_guard lock(mutex);
        notes.emplace_back(code, callback);
        posted.notify_all();
      },
      options);
  ASSERT_EQ(interpreter->WaitUntilSettled(seconds(30)), Readiness::kReady);
  // Some silence first, to compare the tune against.
  const auto before = FileSize(recording_);
  ASSERT_TRUE(WaitFor([&] { return FileSize(recording_) > before + kRate * 4 / 2; }, seconds(15)));

  ASSERT_EQ(interpreter->SendString("open " + song, nullptr), 0u);
  ASSERT_EQ(interpreter->SendString("play " + song + " notify", window), 0u);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(posted.wait_for(lock, seconds(20), [&] { return !notes.empty(); }));
    EXPECT_EQ(notes[0].first, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(notes[0].second, window);
  }
  // A second of what follows the end.
  const auto at_end = FileSize(recording_);
  ASSERT_TRUE(WaitFor([&] { return FileSize(recording_) > at_end + kRate * 4; }, seconds(15)));
  EXPECT_EQ(interpreter->SendString("close " + song, nullptr), 0u);
  interpreter.reset();
  recorder_.reset();

  const auto samples = ReadRecording(recording_);
  constexpr double kWindow = 0.02;
  double loudest = 0;
  for (double at = 0; at + kWindow <= samples.size() / double{kRate}; at += kWindow) {
    loudest = std::max(loudest, Loudness(samples, at, at + kWindow));
  }
  ASSERT_GT(loudest, 0.01) << "nothing was heard";
  double first = -1;
  double last = -1;
  for (double at = 0; at + kWindow <= samples.size() / double{kRate}; at += kWindow) {
    if (Loudness(samples, at, at + kWindow) < loudest / 10) continue;
    if (first < 0) first = at;
    last = at + kWindow;
  }
  EXPECT_GT(first, 0.5);  // the silence before the play
  EXPECT_NEAR(last - first, kTuneSeconds, 0.3);
  // The tune sounds throughout: no drop-outs.
  EXPECT_TRUE(QuietStretches(samples, first, last, kWindow, loudest / 100).empty());
  EXPECT_LT(Loudness(samples, 0.0, first - 0.1), loudest / 100);
}

// Waiting on its title screen the game must cost nothing: the output closes once nothing
// sounds, and the next play opens it again, from its first note.
TEST_F(PulseTest, ClosesTheOutputWhileSilentAndOpensItForThePlay) {
  const std::string song = (dir_.path() / "TUNE.MID").string();
  const std::string other = (dir_.path() / "OTHER.MID").string();
  WriteFile(song, Tune(8));
  WriteFile(other, Tune(4));
  ScopedEnv server("PULSE_SERVER", server_.c_str());
  std::mutex mutex;
  std::condition_variable posted;
  int notes = 0;
  SystemOptions options;
  options.soundfont = kTestSoundfont;
  auto interpreter = CreateSystemInterpreter(
      [&](HWND, WPARAM, LPARAM) {
        std::lock_guard lock(mutex);
        ++notes;
        posted.notify_all();
      },
      options);
  ASSERT_EQ(interpreter->WaitUntilSettled(seconds(30)), Readiness::kReady);
  // The game's way: the open and the play one right after the other.
  auto play_to_the_end = [&](const std::string& name, const std::string& first) {
    std::unique_lock lock(mutex);
    const int before = notes;
    lock.unlock();
    ASSERT_EQ(interpreter->SendString(first, nullptr), 0u);
    ASSERT_EQ(interpreter->SendString("play " + name + " notify",
                                      reinterpret_cast<HWND>(std::uintptr_t{0x40})),
              0u);
    lock.lock();
    ASSERT_TRUE(posted.wait_for(lock, seconds(20), [&] { return notes > before; }))
        << "the play after a silence never ended";
  };

  EXPECT_TRUE(WaitFor([&] { return !HasStream(); }, seconds(10))) << "still open at rest";
  ASSERT_EQ(interpreter->SendString("open " + song, nullptr), 0u);
  EXPECT_FALSE(HasStream()) << "an open alone plays nothing";
  play_to_the_end(other, "open " + other);
  EXPECT_TRUE(WaitFor([&] { return !HasStream(); }, seconds(10))) << "still open after the end";

  const auto start = FileSize(recording_) / 4;
  play_to_the_end(song, "seek " + song + " to start");
  const auto end = FileSize(recording_) / 4;
  interpreter.reset();
  recorder_.reset();
  const auto samples = ReadRecording(recording_);
  ASSERT_GT(end, start);
  EXPECT_GT(Loudness(samples, start / double{kRate}, end / double{kRate}), 0.001)
      << "the second play was not heard";
}

// A song started just as the output closes for the silence, or just after, is heard.
TEST_F(PulseTest, ASongStartedAsTheOutputClosesIsHeard) {
  const std::string battle = (dir_.path() / "BATTLE.MID").string();
  const std::string ending = (dir_.path() / "ENDING.MID").string();
  WriteFile(battle, Tune(8));
  WriteFile(ending, Tune(8));
  ScopedEnv server("PULSE_SERVER", server_.c_str());
  SystemOptions options;
  options.soundfont = kTestSoundfont;
  auto interpreter = CreateSystemInterpreter([](HWND, WPARAM, LPARAM) {}, options);
  ASSERT_EQ(interpreter->WaitUntilSettled(seconds(30)), Readiness::kReady);
  for (int gap_ms : {2700, 3000, 3300, 3600}) {
    ASSERT_EQ(interpreter->SendString("open " + battle, nullptr), 0u);
    ASSERT_EQ(interpreter->SendString("play " + battle, nullptr), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(interpreter->SendString("stop " + battle, nullptr), 0u);
    ASSERT_EQ(interpreter->SendString("close " + battle, nullptr), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(gap_ms));
    const auto start = FileSize(recording_) / 4;
    ASSERT_EQ(interpreter->SendString("open " + ending, nullptr), 0u);
    ASSERT_EQ(interpreter->SendString("play " + ending, nullptr), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const auto end = FileSize(recording_) / 4;
    ASSERT_EQ(interpreter->SendString("close " + ending, nullptr), 0u);
    const auto samples = ReadRecording(recording_);
    EXPECT_GT(Loudness(samples, start / double{kRate}, end / double{kRate}), 0.001)
        << "the song played " << gap_ms << " ms after the stop was not heard";
  }
}

}  // namespace
}  // namespace mci::testing
