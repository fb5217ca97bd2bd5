#include "platform/mci/fluid_sequencer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace mci {
namespace {

constexpr int kSustainPedal = 64;
// How long the audio output stays open with nothing to sound: longer than the game's pauses
// between one theme and the next, so that a change of theme never waits for the output.
constexpr int kSilenceBeforeClosingMs = 3000;

// At most one line per run says why there is no music.
void SayWhyNoMusic(const std::string& reason) {
  static std::atomic<bool> said{false};
  if (!said.exchange(true)) std::fprintf(stderr, "zorsav: no music: %s\n", reason.c_str());
}

}  // namespace

// A loaded song on the audio side. Its player exists from the first play after a load or a
// rewind until the song ends, is rewound or is unloaded.
struct FluidSequencer::Track {
  std::shared_ptr<const Song> song;
  fluid_player_t* player = nullptr;
  bool playing = false;
  bool at_end = false;
  bool reached_end = false;  // set by the tick callback during a block
  RunId run = 0;
};

FluidSequencer::FluidSequencer(SystemOptions options) : options_(std::move(options)) {}

FluidSequencer::~FluidSequencer() {
  {
    std::lock_guard lock(mutex_);
    cancel_ = true;
  }
  wake_output_.notify_all();
  if (preparer_.joinable()) preparer_.join();
  if (driver_ != nullptr) delete_fluid_audio_driver(driver_);  // joins the audio thread
  for (auto& [id, track] : tracks_) {
    if (track->player != nullptr) delete_fluid_player(track->player);
  }
  tracks_.clear();
  engine_.reset();
}

void FluidSequencer::Start(SequencerEvents events) {
  events_ = std::move(events);
  preparer_ = std::thread([this] { Prepare(); });
}

MCIERROR FluidSequencer::Failure() const { return failure_; }

Readiness FluidSequencer::WaitUntilSettled(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  settled_.wait_for(lock, timeout, [this] { return readiness_ != Readiness::kPreparing; });
  return readiness_;
}

void FluidSequencer::Prepare() {
  QuietFluidSynthLog();
  MCIERROR error = 0;
  std::string reason;
  auto engine = CreateFluidEngine(options_, error, reason);
  if (!engine) return Fail(error, reason);
  if (cancel_) return;
  engine_ = std::move(engine);
  if (!options_.audio_driver.empty() && !OpenAudioOutput()) return;
  {
    std::lock_guard lock(mutex_);
    readiness_ = Readiness::kReady;
  }
  settled_.notify_all();
  if (driver_ != nullptr) KeepAudioOutput();
}

bool FluidSequencer::OpenAudioOutput() {
  driver_ = new_fluid_audio_driver2(engine_->settings(), &RenderCallback, this);
  if (driver_ != nullptr) return true;
  Fail(MCIERR_HARDWARE, "no audio output through " + options_.audio_driver);
  return false;
}

// Closes the audio output once the audio side has gone silent, and opens it again when
// commands come. Runs on the background thread until the sequencer is destroyed.
void FluidSequencer::KeepAudioOutput() {
  std::unique_lock lock(mutex_);
  while (!cancel_) {
    wake_output_.wait(lock, [this] {
      return cancel_ || (driver_ != nullptr && silent_) || (driver_ == nullptr && !ops_.empty());
    });
    if (cancel_) return;
    if (driver_ == nullptr) {
      const bool plays = std::any_of(ops_.begin(), ops_.end(),
                                     [](const Op& op) { return op.kind == OpKind::kPlay; });
      if (!plays) {  // opens, stops and closes need no sound: this thread is the audio side now
        std::vector<Op> ops;
        ops.swap(ops_);
        lock.unlock();
        for (const Op& op : ops) Apply(op);
        lock.lock();
        continue;
      }
      lock.unlock();
      const bool opened = OpenAudioOutput();
      lock.lock();
      if (!opened) return;
      continue;
    }
    silent_ = false;
    woken_ = false;
    fluid_audio_driver_t* driver = driver_;
    lock.unlock();
    delete_fluid_audio_driver(driver);  // joins the audio thread
    lock.lock();
    driver_ = nullptr;
    silent_frames_ = 0;
    // Commands the audio side took in its last periods may have started a song: go on.
    if (woken_ && !cancel_) {
      lock.unlock();
      const bool opened = OpenAudioOutput();
      lock.lock();
      if (!opened) return;
    }
  }
}

void FluidSequencer::Fail(MCIERROR error, const std::string& reason) {
  {
    std::lock_guard lock(mutex_);
    failure_ = error;
    readiness_ = Readiness::kFailed;
    ops_.clear();
  }
  settled_.notify_all();
  if (cancel_) return;
  SayWhyNoMusic(reason);
  if (events_.failed) events_.failed();
}

void FluidSequencer::Push(Op op) {
  {
    std::lock_guard lock(mutex_);
    if (readiness_ == Readiness::kFailed) return;
    ops_.push_back(std::move(op));
  }
  wake_output_.notify_all();
}

void FluidSequencer::Load(SongId song, std::shared_ptr<const Song> data) {
  Push({OpKind::kLoad, song, 0, std::move(data)});
}
void FluidSequencer::Play(SongId song, RunId run) { Push({OpKind::kPlay, song, run, nullptr}); }
void FluidSequencer::Stop(SongId song) { Push({OpKind::kStop, song, 0, nullptr}); }
void FluidSequencer::Rewind(SongId song) { Push({OpKind::kRewind, song, 0, nullptr}); }
void FluidSequencer::Unload(SongId song) { Push({OpKind::kUnload, song, 0, nullptr}); }

int FluidSequencer::RenderCallback(void* data, int len, int nfx, float* fx[], int nout,
                                   float* out[]) {
  auto* self = static_cast<FluidSequencer*>(data);
  self->BeginBlock();
  int result = FLUID_OK;
  if (nfx == 0 && nout >= 2) {
    // The driver gives no effect buffers: mix reverb and chorus into the dry ones.
    float* effects[4] = {out[0], out[1], out[0], out[1]};
    result = fluid_synth_process(self->engine_->synth(), len, 4, effects, nout, out);
  } else {
    result = fluid_synth_process(self->engine_->synth(), len, nfx, fx, nout, out);
  }
  self->EndBlock();
  self->NoteSilence(len);
  return result;
}

void FluidSequencer::RenderOffline(const std::function<void(fluid_synth_t*)>& render) {
  if (driver_ != nullptr || !engine_) return;
  BeginBlock();
  render(engine_->synth());
  EndBlock();
}

void FluidSequencer::BeginBlock() {
  {
    std::lock_guard lock(mutex_);
    applying_.swap(ops_);
    if (!applying_.empty()) {
      silent_ = false;
      woken_ = true;
      silent_frames_ = 0;
    }
  }
  for (const Op& op : applying_) Apply(op);
  applying_.clear();
}

void FluidSequencer::EndBlock() {
  for (auto& [id, track] : tracks_) {
    if (!track->reached_end) continue;
    track->reached_end = false;
    track->playing = false;
    track->at_end = true;
    DiscardPlayer(*track);
    ended_.emplace_back(id, track->run);
  }
  for (const auto& [song, run] : ended_) {
    if (events_.ended) events_.ended(song, run);
  }
  ended_.clear();
}

// Counts the frames rendered with no song playing and no voice sounding; after three seconds the
// background thread is told to close the output.
void FluidSequencer::NoteSilence(int frames) {
  bool playing = fluid_synth_get_active_voice_count(engine_->synth()) > 0;
  for (const auto& [id, track] : tracks_) playing = playing || track->playing;
  if (playing) {
    silent_frames_ = 0;
    return;
  }
  silent_frames_ += frames;
  double rate = 44100;
  fluid_settings_getnum(engine_->settings(), "synth.sample-rate", &rate);
  if (silent_frames_ * 1000.0 < kSilenceBeforeClosingMs * rate) return;
  {
    std::lock_guard lock(mutex_);
    if (silent_) return;
    silent_ = true;
    woken_ = false;
  }
  wake_output_.notify_all();
}

void FluidSequencer::Apply(const Op& op) {
  if (op.kind == OpKind::kLoad) {
    auto track = std::make_unique<Track>();
    track->song = op.data;
    tracks_[op.song] = std::move(track);
    return;
  }
  const auto it = tracks_.find(op.song);
  if (it == tracks_.end()) return;
  Track& track = *it->second;
  switch (op.kind) {
    case OpKind::kPlay:
      track.run = op.run;
      if (track.at_end) {
        ended_.emplace_back(op.song, op.run);  // nothing left to play: it ends at once
      } else if (!track.playing) {
        StartPlayer(track);
      }
      break;
    case OpKind::kStop:
      if (track.playing) fluid_player_stop(track.player);
      track.playing = false;
      track.reached_end = false;
      break;
    case OpKind::kRewind:
      DiscardPlayer(track);
      track.playing = false;
      track.reached_end = false;
      track.at_end = false;
      break;
    case OpKind::kUnload:
      DiscardPlayer(track);
      tracks_.erase(it);
      break;
    case OpKind::kLoad:
      break;
  }
}

// Makes the player at the first play, resumes it after a stop.
void FluidSequencer::StartPlayer(Track& track) {
  if (track.player == nullptr) {
    track.player = new_fluid_player(engine_->synth());
    if (track.player == nullptr) return;
    fluid_player_add_mem(track.player, track.song->bytes.data(), track.song->bytes.size());
    fluid_player_set_tick_callback(track.player, &TickCallback, &track);
  }
  fluid_player_play(track.player);
  track.playing = true;
}

// The tick callback runs inside the player during a block. At the last tick it stops the
// player, which keeps it from wrapping up the file on its own; the block's end does the rest.
int FluidSequencer::TickCallback(void* data, int tick) {
  auto& track = *static_cast<Track*>(data);
  if (track.playing && !track.reached_end && tick >= 0 &&
      static_cast<std::uint32_t>(tick) >= track.song->total_ticks) {
    fluid_player_stop(track.player);
    track.reached_end = true;
  }
  return FLUID_OK;
}

// Deleting a player sends no note-offs of its own, so release what it left sounding.
void FluidSequencer::DiscardPlayer(Track& track) {
  if (track.player == nullptr) return;
  delete_fluid_player(track.player);
  track.player = nullptr;
  fluid_synth_t* synth = engine_->synth();
  for (int channel = 0; channel < fluid_synth_count_midi_channels(synth); ++channel) {
    fluid_synth_cc(synth, channel, kSustainPedal, 0);
  }
  fluid_synth_all_notes_off(synth, -1);
}

}  // namespace mci
