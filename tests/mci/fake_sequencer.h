// A sequencer that only records what it is asked, whose ends and failure the test triggers.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/mci/sequencer.h"

namespace mci::testing {

class FakeSequencer : public Sequencer {
 public:
  // The log of calls and the failure live outside, so the test still sees them once the
  // interpreter owns the fake.
  struct State {
    std::vector<std::string> calls;
    std::map<SongId, RunId> runs;  // the last run each song was asked to play
    SequencerEvents events;
    MCIERROR failure = 0;
    std::function<void()> on_destroy;  // runs as the fake is destroyed
  };

  explicit FakeSequencer(State& state) : state_(state) {}
  ~FakeSequencer() override {
    if (state_.on_destroy) state_.on_destroy();
  }

  void Start(SequencerEvents events) override { state_.events = std::move(events); }
  MCIERROR Failure() const override { return state_.failure; }
  Readiness WaitUntilSettled(std::chrono::milliseconds) override {
    return state_.failure == 0 ? Readiness::kReady : Readiness::kFailed;
  }
  void Load(SongId song, std::shared_ptr<const Song>) override { Log("load", song); }
  void Play(SongId song, RunId run) override {
    state_.runs[song] = run;
    Log("play", song);
  }
  void Stop(SongId song) override { Log("stop", song); }
  void Rewind(SongId song) override { Log("rewind", song); }
  void Unload(SongId song) override { Log("unload", song); }

 private:
  void Log(const char* what, SongId song) {
    state_.calls.push_back(std::string(what) + " " + std::to_string(song));
  }
  State& state_;
};

// What the audio side would do: the song's last run reaches its end.
inline void EndSong(FakeSequencer::State& state, SongId song) {
  state.events.ended(song, state.runs[song]);
}

// What a failed start-up would do.
inline void FailStartUp(FakeSequencer::State& state, MCIERROR error) {
  state.failure = error;
  state.events.failed();
}

}  // namespace mci::testing
