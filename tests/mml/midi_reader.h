// Reads Standard MIDI File bytes back for the tests, independently of the compiler's own MIDI
// model: chunk lengths, delta times and event sizes are checked while reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorsav::mml::testing {

struct ReadEvent {
  uint32_t tick = 0;          // absolute
  uint8_t status = 0;         // 0xFF for meta events
  uint8_t meta_type = 0;      // meta events only
  std::vector<uint8_t> data;  // data bytes, or the meta payload
  int Channel() const { return (status & 0x0F) + 1; }
  int Kind() const { return status & 0xF0; }
  bool IsNoteOn() const { return Kind() == 0x90 && status != 0xFF && data[1] != 0; }
  bool IsNoteOff() const {
    return status != 0xFF && (Kind() == 0x80 || (Kind() == 0x90 && data[1] == 0));
  }
};

struct ReadTrack {
  std::vector<ReadEvent> events;
  std::string Name() const;
};

struct ReadMidi {
  std::string error;  // empty when the bytes were well formed
  int format = 0;
  int division = 0;
  std::vector<ReadTrack> tracks;
};

// A note-on paired with the note-off that ends it.
struct PlayedNote {
  uint32_t start = 0;
  uint32_t end = 0;
  int key = 0;
  int velocity = 0;
  int channel = 0;
};

// Pairs note-ons with note-offs on the same channel and key, in time order. problem is set
// when a key is struck again while still sounding, released when silent, or never released.
std::vector<PlayedNote> PairNotes(const ReadTrack& track, std::string* problem);

ReadMidi ReadMidiBytes(const std::vector<uint8_t>& bytes);

// Reads a variable-length number at pos; returns false past the end or after four bytes.
bool ReadVlq(const std::vector<uint8_t>& bytes, size_t& pos, uint32_t& value);

}  // namespace zorsav::mml::testing
