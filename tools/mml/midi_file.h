// A Standard MIDI File in memory: tracks of events at absolute ticks.
#pragma once

#include <cstdint>
#include <vector>

namespace zorsav::mml {

struct MidiEvent {
  uint32_t tick = 0;
  std::vector<uint8_t> bytes;  // status byte and data, or FF type length data for a meta event
};

struct MidiTrack {
  std::vector<MidiEvent> events;  // in playing order, ticks never decreasing
};

struct MidiFile {
  uint16_t division = 480;
  std::vector<MidiTrack> tracks;
};

}  // namespace zorsav::mml
