// A sequenced score: every note placed at its tick, ready to be written as MIDI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "score.h"

namespace zorsav::mml {

struct NoteEvent {
  int64_t start = 0;
  int64_t end = 0;  // the note-off tick, always after start
  int key = 60;
  int velocity = 100;
};

struct TempoChange {
  int64_t tick = 0;
  int bpm = 120;
};

struct Marker {
  int64_t tick = 0;
  std::string text;
};

struct SequencedTrack {
  TrackHeader header;
  std::vector<NoteEvent> notes;
  int64_t end_tick = 0;
};

struct Song {
  std::string title;
  int beats_per_bar = 4;
  int beat_unit = 4;
  std::vector<TempoChange> tempos;  // the first one is at tick 0
  std::vector<Marker> markers;
  std::vector<SequencedTrack> tracks;
  int64_t end_tick = 0;  // where every track ends: the latest end of any track
};

}  // namespace zorsav::mml
