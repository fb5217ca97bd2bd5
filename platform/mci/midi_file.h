// Reads and checks a Standard MIDI File: the chunk structure, every event of every track, and
// what the player needs to know of it (its length in ticks and in seconds).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mci {

// A channel message or a tempo change, at its absolute tick.
struct MidiEvent {
  std::uint32_t tick = 0;
  std::uint8_t status = 0;  // 0x80-0xEF for channel messages, 0xFF for a tempo change
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
  std::uint32_t tempo = 0;  // microseconds per quarter note, for a tempo change
};

struct MidiTrack {
  std::vector<MidiEvent> events;
  std::uint32_t end_tick = 0;  // the tick of its End of Track event
};

struct MidiFile {
  int format = 0;                 // 0 or 1
  int division = 0;               // ticks per quarter note
  std::vector<MidiTrack> tracks;  // as many as the header says
};

// Parses `bytes`, or returns nothing when they are not a well-formed format 0 or 1 file with
// metrical timing: header chunk of length 6, track count matching the MTrk chunks, every chunk
// inside the file, every event complete and inside its chunk, each track ended by End of Track.
std::optional<MidiFile> ParseMidiFile(std::span<const std::uint8_t> bytes);

// The tick of the last End of Track: where a play of the whole file ends.
std::uint32_t TotalTicks(const MidiFile& file);

// The time from the start to `tick`, following the tempo changes of all tracks.
double SecondsAt(const MidiFile& file, std::uint32_t tick);

}  // namespace mci
