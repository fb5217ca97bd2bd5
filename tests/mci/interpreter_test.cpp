// The command rules and notifications of the interpreter, against a fake sequencer whose ends
// the test triggers by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/mci/mci.h"
#include "tests/mci/fake_sequencer.h"
#include "tests/mci/midi_builder.h"

namespace mci::testing {
namespace {

struct Note {
  int window;  // 0 for none
  WPARAM code;
  LPARAM device;
  bool operator==(const Note&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Note& note) {
  return out << "{window " << note.window << ", code " << note.code << ", device " << note.device
             << "}";
}

HWND Window(int index) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(index) * 16); }

int WindowIndex(HWND window) {
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(window) / 16);
}

// Runs in a temporary working folder holding A.MID and B.MID, so that bare names resolve there.
class InterpreterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_.path() / "A.MID", Tune(4));
    WriteFile(dir_.path() / "B.MID", Tune(2));
    old_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    interpreter_ = std::make_unique<Interpreter>(
        std::make_unique<FakeSequencer>(state_), [this](HWND window, WPARAM code, LPARAM device) {
          std::lock_guard lock(mutex_);
          notes_.push_back({WindowIndex(window), code, device});
        });
  }
  void TearDown() override {
    interpreter_.reset();
    std::filesystem::current_path(old_dir_);
  }

  std::vector<Note> Notes() {
    std::lock_guard lock(mutex_);
    return notes_;
  }

  TempDir dir_;
  std::filesystem::path old_dir_;
  FakeSequencer::State state_;
  std::mutex mutex_;
  std::vector<Note> notes_;
  std::unique_ptr<Interpreter> interpreter_;
};

// A command with its callback window and expected result, or an audio-side event:
// "end SONG" (the song's last run ends), "ended SONG RUN" (a given run ends), "fail".
struct Step {
  std::string action;
  MCIERROR result = 0;
  int window = 0;
};

struct SequenceCase {
  std::string name;
  std::vector<Step> steps;
  std::vector<Note> notes;
  std::vector<std::string> calls = {};  // checked when given
};

void PrintTo(const SequenceCase& value, std::ostream* out) { *out << value.name; }

class SequenceTest : public InterpreterTest, public ::testing::WithParamInterface<SequenceCase> {
 protected:
  void Run(const Step& step) {
    std::istringstream words(step.action);
    std::string word;
    words >> word;
    if (word == "end") {
      SongId song = 0;
      words >> song;
      EndSong(state_, song);
    } else if (word == "ended") {
      SongId song = 0;
      RunId run = 0;
      words >> song >> run;
      state_.events.ended(song, run);
    } else if (word == "fail") {
      FailStartUp(state_, MCIERR_HARDWARE);
    } else {
      EXPECT_EQ(interpreter_->SendString(step.action, Window(step.window)), step.result)
          << step.action;
    }
  }
};

TEST_P(SequenceTest, PostsTheNotificationsWindowsWould) {
  for (const Step& step : GetParam().steps) Run(step);
  EXPECT_EQ(Notes(), GetParam().notes);
  if (!GetParam().calls.empty()) {
    EXPECT_EQ(state_.calls, GetParam().calls);
  }
}

constexpr WPARAM kOk = MCI_NOTIFY_SUCCESSFUL;
constexpr WPARAM kSuperseded = MCI_NOTIFY_SUPERSEDED;
constexpr WPARAM kAborted = MCI_NOTIFY_ABORTED;
constexpr WPARAM kFailure = MCI_NOTIFY_FAILURE;

const std::vector<SequenceCase> kSequences = {
    {"NotifyPlayRunToItsEnd",
     {{"open A.MID"}, {"play A.MID notify", 0, 1}, {"end 1"}},
     {{1, kOk, 1}},
     {"load 1", "play 1"}},
    {"StopAbortsAndALateEndPostsNothingMore",
     {{"open A.MID"}, {"play A.MID notify", 0, 1}, {"stop A.MID"}, {"end 1"}},
     {{1, kAborted, 1}},
     {"load 1", "play 1", "stop 1"}},
    {"NewNotifySupersedesThePendingOne",
     {{"open A.MID"}, {"play A.MID notify", 0, 1}, {"play A.MID notify", 0, 2}, {"end 1"}},
     {{1, kSuperseded, 1}, {2, kOk, 1}},
     {"load 1", "play 1"}},
    {"SeekAbortsAndRewinds",
     {{"open A.MID"}, {"play A.MID notify", 0, 1}, {"seek A.MID to start"}},
     {{1, kAborted, 1}},
     {"load 1", "play 1", "rewind 1"}},
    {"CloseAbortsAndUnloads",
     {{"open A.MID"}, {"play A.MID notify", 0, 1}, {"close A.MID"}, {"end 1"}},
     {{1, kAborted, 1}},
     {"load 1", "play 1", "unload 1"}},
    {"PlainPlayPostsNothing",
     {{"open B.MID"}, {"play B.MID", 0, 1}, {"end 1"}, {"stop B.MID"}, {"close B.MID"}},
     {}},
    {"PlainPlayLeavesAPendingNotifyPending",
     {{"open A.MID"}, {"play A.MID notify", 0, 1}, {"play A.MID"}, {"end 1"}},
     {{1, kOk, 1}},
     {"load 1", "play 1"}},
    {"BattleThemeLoopsOnCodeOne",
     {{"open A.MID"},
      {"play A.MID notify", 0, 1},
      {"end 1"},
      {"seek A.MID to start"},
      {"play A.MID notify", 0, 1},
      {"end 1"},
      {"seek A.MID to start"},
      {"play A.MID notify", 0, 1},
      {"stop A.MID"},
      {"close A.MID"}},
     {{1, kOk, 1}, {1, kOk, 1}, {1, kAborted, 1}},
     {"load 1", "play 1", "rewind 1", "play 1", "rewind 1", "play 1", "stop 1", "unload 1"}},
    {"EndOfAnEarlierRunIsIgnored",
     {{"open A.MID"},
      {"play A.MID notify", 0, 1},
      {"seek A.MID to start"},
      {"play A.MID notify", 0, 2},
      {"ended 1 1"},
      {"end 1"}},
     {{1, kAborted, 1}, {2, kOk, 1}}},
    {"PlayAgainAfterTheEndStartsANewRun",
     {{"open A.MID"},
      {"play A.MID notify", 0, 1},
      {"end 1"},
      {"play A.MID notify", 0, 2},
      {"end 1"}},
     {{1, kOk, 1}, {2, kOk, 1}},
     {"load 1", "play 1", "play 1"}},
    {"DeviceNotOpen",
     {{"play X.MID notify", MCIERR_INVALID_DEVICE_NAME, 1},
      {"seek X.MID to start", MCIERR_INVALID_DEVICE_NAME},
      {"stop X.MID", MCIERR_INVALID_DEVICE_NAME},
      {"close X.MID", MCIERR_INVALID_DEVICE_NAME},
      {"open A.MID"},
      {"close A.MID"},
      {"play A.MID notify", MCIERR_INVALID_DEVICE_NAME, 1},
      {"close A.MID", MCIERR_INVALID_DEVICE_NAME}},
     {},
     {"load 1", "unload 1"}},
    {"OpenTwice",
     {{"open A.MID"}, {"open A.MID", MCIERR_DEVICE_OPEN}, {"open a.mid", MCIERR_DEVICE_OPEN}},
     {},
     {"load 1"}},
    {"ReopenAfterCloseGetsANewDeviceId",
     {{"open A.MID"}, {"close A.MID"}, {"open A.MID"}, {"play A.MID notify", 0, 1}, {"end 2"}},
     {{1, kOk, 2}}},
    {"NamesMatchWithoutRegardToCase",
     {{"open A.MID"}, {"PLAY a.mid NOTIFY", 0, 1}, {"end 1"}, {"Close a.Mid"}},
     {{1, kOk, 1}},
     {"load 1", "play 1", "unload 1"}},
    {"ExtraBlanksAreTolerated",
     {{"  open   A.MID  "}, {"play\tA.MID   notify ", 0, 1}, {"end 1"}, {" seek A.MID  to  start"}},
     {{1, kOk, 1}}},
    {"BadCommandsFailAndLeaveThePendingNotify",
     {{"open A.MID"},
      {"play A.MID notify", 0, 1},
      {"pause A.MID", MCIERR_UNRECOGNIZED_COMMAND},
      {"", MCIERR_UNRECOGNIZED_COMMAND},
      {"play A.MID wait", MCIERR_UNRECOGNIZED_KEYWORD, 2},
      {"play A.MID notify notify", MCIERR_UNRECOGNIZED_KEYWORD, 2},
      {"seek A.MID to end", MCIERR_UNRECOGNIZED_KEYWORD},
      {"seek A.MID start", MCIERR_UNRECOGNIZED_KEYWORD},
      {"seek A.MID", MCIERR_MISSING_PARAMETER},
      {"seek A.MID to", MCIERR_MISSING_PARAMETER},
      {"stop A.MID notify", MCIERR_UNRECOGNIZED_KEYWORD},
      {"close A.MID now", MCIERR_UNRECOGNIZED_KEYWORD},
      {"open", MCIERR_MISSING_PARAMETER},
      {"play \"A.MID", MCIERR_MISSING_PARAMETER},
      {"end 1"}},
     {{1, kOk, 1}},
     {"load 1", "play 1"}},
    {"TwoDevicesKeepTheirOwnNotifies",
     {{"open A.MID"},
      {"open B.MID"},
      {"play A.MID notify", 0, 1},
      {"play B.MID notify", 0, 2},
      {"stop B.MID"},
      {"end 1"}},
     {{2, kAborted, 2}, {1, kOk, 1}}},
    {"QuotedNamesWork",
     {{"open \"A.MID\""}, {"play a.mid notify", 0, 1}, {"end 1"}},
     {{1, kOk, 1}}},
    {"MissingFileFails",
     {{"open NOPE.MID", MCIERR_FILE_NOT_FOUND},
      {"play NOPE.MID notify", MCIERR_INVALID_DEVICE_NAME, 1}},
     {},
     {}},
    {"FailedStartUpFailsThePendingNotifyAndEveryLaterCommand",
     {{"open A.MID"},
      {"play A.MID notify", 0, 1},
      {"fail"},
      {"stop A.MID", MCIERR_HARDWARE},
      {"play A.MID notify", MCIERR_HARDWARE, 1},
      {"open B.MID", MCIERR_HARDWARE}},
     {{1, kFailure, 1}},
     {"load 1", "play 1"}},
};

INSTANTIATE_TEST_SUITE_P(Commands, SequenceTest, ::testing::ValuesIn(kSequences),
                         [](const auto& info) { return info.param.name; });

// The end of a play on the audio side races a stop on the caller's thread: whichever wins,
// the notify play gets exactly one notification.
TEST_F(InterpreterTest, EndRacingStopPostsExactlyOneNotification) {
  ASSERT_EQ(interpreter_->SendString("open A.MID", nullptr), 0u);
  constexpr int kRounds = 500;
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_EQ(interpreter_->SendString("play A.MID notify", Window(1)), 0u);
    std::atomic<bool> go{false};
    std::thread audio([&] {
      while (!go) {
      }
      EndSong(state_, 1);
    });
    go = true;
    interpreter_->SendString("stop A.MID", nullptr);
    audio.join();
    interpreter_->SendString("seek A.MID to start", nullptr);
  }
  const auto notes = Notes();
  ASSERT_EQ(notes.size(), static_cast<std::size_t>(kRounds));
  for (const Note& note : notes) {
    EXPECT_TRUE(note.code == kOk || note.code == kAborted) << note;
  }
}

// The audio side may still report an end while the interpreter is being destroyed.
TEST_F(InterpreterTest, NothingIsPostedDuringDestruction) {
  ASSERT_EQ(interpreter_->SendString("open A.MID", nullptr), 0u);
  ASSERT_EQ(interpreter_->SendString("play A.MID notify", Window(1)), 0u);
  state_.on_destroy = [this] { EndSong(state_, 1); };
  interpreter_.reset();
  EXPECT_TRUE(Notes().empty());
}

}  // namespace
}  // namespace mci::testing
