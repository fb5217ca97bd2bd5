// The sequencer over FluidSynth. A background thread makes the synth, loads the soundfont and
// opens the audio output; commands are queued and applied by the audio side at the start of
// each audio period, and a play's end is seen by the player's tick callback.
//
// The audio output runs only while there is something to hear: after 3 s with nothing
// playing and no note sounding, the background thread closes it, so that a program waiting
// for its user costs no CPU; the next command opens it again.
#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/mci/fluid_engine.h"
#include "platform/mci/sequencer.h"

namespace mci {

class FluidSequencer : public Sequencer {
 public:
  // With an empty audio_driver there is no audio output: the owner renders with RenderOffline.
  explicit FluidSequencer(SystemOptions options);
  ~FluidSequencer() override;

  void Start(SequencerEvents events) override;
  MCIERROR Failure() const override;
  Readiness WaitUntilSettled(std::chrono::milliseconds timeout) override;
  void Load(SongId song, std::shared_ptr<const Song> data) override;
  void Play(SongId song, RunId run) override;
  void Stop(SongId song) override;
  void Rewind(SongId song) override;
  void Unload(SongId song) override;

  // Without an audio output, once ready: applies the queued commands, lets `render` render one
  // block from the synth (for example with a file renderer), then reports the ends it saw.
  void RenderOffline(const std::function<void(fluid_synth_t*)>& render);

 private:
  enum class OpKind { kLoad, kPlay, kStop, kRewind, kUnload };
  struct Op {
    OpKind kind;
    SongId song;
    RunId run = 0;
    std::shared_ptr<const Song> data;
  };
  struct Track;

  void Prepare();
  void KeepAudioOutput();
  bool OpenAudioOutput();
  void NoteSilence(int frames);
  void Fail(MCIERROR error, const std::string& reason);
  void Push(Op op);
  static int RenderCallback(void* data, int len, int nfx, float* fx[], int nout, float* out[]);
  static int TickCallback(void* data, int tick);
  void BeginBlock();
  void EndBlock();
  void Apply(const Op& op);
  void StartPlayer(Track& track);
  void DiscardPlayer(Track& track);

  const SystemOptions options_;
  SequencerEvents events_;
  std::thread preparer_;
  std::atomic<bool> cancel_{false};
  std::atomic<MCIERROR> failure_{0};

  mutable std::mutex mutex_;  // guards ops_, readiness_, silent_ and woken_
  std::condition_variable settled_;
  std::condition_variable wake_output_;  // for the background thread: ops or silence
  std::vector<Op> ops_;
  Readiness readiness_ = Readiness::kPreparing;
  bool silent_ = false;  // the audio side has had nothing to sound for a while
  bool woken_ = false;   // the audio side applied commands since it went silent

  // Written by the preparer before the audio side starts; read-only afterwards.
  std::unique_ptr<FluidEngine> engine_;
  // Opened and closed by the background thread only.
  fluid_audio_driver_t* driver_ = nullptr;
  long silent_frames_ = 0;  // the audio side's own count

  // The audio side's own state.
  std::map<SongId, std::unique_ptr<Track>> tracks_;
  std::vector<Op> applying_;
  std::vector<std::pair<SongId, RunId>> ended_;
};

}  // namespace mci
