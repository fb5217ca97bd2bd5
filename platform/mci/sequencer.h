// What the interpreter asks of a MIDI sequencer. Commands return at once: the sequencer applies
// them in order on its audio side and reports from there when a play reaches the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/mci/mci.h"
#include "platform/mci/midi_file.h"

namespace mci {

using SongId = std::uint32_t;
// Names one run of a song, from the play that starts it to its end or stop.
using RunId = std::uint64_t;

// A file checked at open, ready to hand to the sequencer.
struct Song {
  std::vector<std::uint8_t> bytes;
  std::uint32_t total_ticks = 0;
};

struct SequencerEvents {
  // A run reached the end of its song. Called from the audio side.
  std::function<void(SongId, RunId)> ended;
  // Start-up failed; no song will ever sound. Called once, from the preparing thread.
  std::function<void()> failed;
};

class Sequencer {
 public:
  virtual ~Sequencer() = default;

  // Begins the start-up (if any) and routes the events. Called once, before anything else.
  virtual void Start(SequencerEvents events) = 0;
  // 0 while preparing or ready; the MCIERR_* code that says why there is no music otherwise.
  virtual MCIERROR Failure() const = 0;
  virtual Readiness WaitUntilSettled(std::chrono::milliseconds timeout) = 0;

  virtual void Load(SongId song, std::shared_ptr<const Song> data) = 0;
  // Plays from the current position. A song at its end ends again at once.
  virtual void Play(SongId song, RunId run) = 0;
  // Stops, keeping the position.
  virtual void Stop(SongId song) = 0;
  // Stops and moves to the beginning.
  virtual void Rewind(SongId song) = 0;
  virtual void Unload(SongId song) = 0;
};

}  // namespace mci
