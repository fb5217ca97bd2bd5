#include "midi_reader.h"

#include <map>
#include <utility>

namespace zorsav::mml::testing {
namespace {

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t pos, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[pos + i];
  return value;
}

int DataLength(uint8_t status) {
  const int kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one MTrk body from pos to end; returns an error text or "".
std::string ReadTrackBody(const std::vector<uint8_t>& bytes, size_t pos, size_t end,
                          ReadTrack& track) {
  uint32_t tick = 0;
  uint8_t running = 0;
  while (pos < end) {
    uint32_t delta = 0;
    if (!ReadVlq(bytes, pos, delta)) return "bad delta time";
    tick += delta;
    if (pos >= end) return "event cut off";
    ReadEvent event;
    event.tick = tick;
    if (bytes[pos] == 0xFF) {
      event.status = 0xFF;
      if (pos + 2 > end) return "meta event cut off";
      event.meta_type = bytes[pos + 1];
      pos += 2;
      uint32_t length = 0;
      if (!ReadVlq(bytes, pos, length) || pos + length > end) return "meta event cut off";
      event.data.assign(bytes.begin() + pos, bytes.begin() + pos + length);
      pos += length;
    } else {
      if (bytes[pos] & 0x80) running = bytes[pos++];
      if (running == 0 || running >= 0xF0) return "unsupported status";
      event.status = running;
      const int length = DataLength(running);
      if (pos + length > end) return "channel event cut off";
      event.data.assign(bytes.begin() + pos, bytes.begin() + pos + length);
      pos += length;
    }
    track.events.push_back(std::move(event));
  }
  return "";
}

}  // namespace

bool ReadVlq(const std::vector<uint8_t>& bytes, size_t& pos, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= bytes.size()) return false;
    const uint8_t byte = bytes[pos++];
    value = (value << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

std::string ReadTrack::Name() const {
  for (const ReadEvent& event : events) {
    if (event.status == 0xFF && event.meta_type == 0x03) {
      return std::string(event.data.begin(), event.data.end());
    }
  }
  return "";
}

std::vector<PlayedNote> PairNotes(const ReadTrack& track, std::string* problem) {
  std::vector<PlayedNote> notes;
  std::map<std::pair<int, int>, size_t> sounding;  // (channel, key) -> index into notes
  for (const ReadEvent& event : track.events) {
    if (event.status == 0xFF) continue;
    const std::pair<int, int> id{event.Channel(), event.data[0]};
    if (event.IsNoteOn()) {
      if (sounding.count(id) != 0) *problem = "key struck again while sounding";
      sounding[id] = notes.size();
      notes.push_back({event.tick, event.tick, event.data[0], event.data[1], event.Channel()});
    } else if (event.IsNoteOff()) {
      const auto found = sounding.find(id);
      if (found == sounding.end()) {
        *problem = "note-off without a note-on";
        continue;
      }
      notes[found->second].end = event.tick;
      sounding.erase(found);
    }
  }
  if (!sounding.empty()) *problem = "note never released";
  return notes;
}

ReadMidi ReadMidiBytes(const std::vector<uint8_t>& bytes) {
  ReadMidi midi;
  if (bytes.size() < 14 || BigEndian(bytes, 0, 4) != 0x4D546864 || BigEndian(bytes, 4, 4) != 6) {
    midi.error = "bad MThd";
    return midi;
  }
  midi.format = static_cast<int>(BigEndian(bytes, 8, 2));
  const uint32_t track_count = BigEndian(bytes, 10, 2);
  midi.division = static_cast<int>(BigEndian(bytes, 12, 2));
  size_t pos = 14;
  for (uint32_t i = 0; i < track_count; ++i) {
    if (pos + 8 > bytes.size() || BigEndian(bytes, pos, 4) != 0x4D54726B) {
      midi.error = "missing MTrk";
      return midi;
    }
    const size_t end = pos + 8 + BigEndian(bytes, pos + 4, 4);
    if (end > bytes.size()) {
      midi.error = "MTrk length runs past the end";
      return midi;
    }
    ReadTrack track;
    midi.error = ReadTrackBody(bytes, pos + 8, end, track);
    if (!midi.error.empty()) return midi;
    midi.tracks.push_back(std::move(track));
    pos = end;
  }
  if (pos != bytes.size()) midi.error = "bytes after the last track";
  return midi;
}

}  // namespace zorsav::mml::testing
