#include "midi_writer.h"

#include "vlq.h"

namespace zorsav::mml {
namespace {

void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  AppendBigEndian(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> TrackBody(const MidiTrack& track) {
  std::vector<uint8_t> body;
  uint32_t previous = 0;
  for (const MidiEvent& event : track.events) {
    AppendVlq(body, event.tick - previous);
    previous = event.tick;
    body.insert(body.end(), event.bytes.begin(), event.bytes.end());
  }
  return body;
}

}  // namespace

std::vector<uint8_t> SerializeMidi(const MidiFile& file) {
  std::vector<uint8_t> header;
  AppendBigEndian(header, 1, 2);  // format 1: tracks played together
  AppendBigEndian(header, static_cast<uint32_t>(file.tracks.size()), 2);
  AppendBigEndian(header, file.division, 2);
  std::vector<uint8_t> out;
  AppendChunk(out, "MThd", header);
  for (const MidiTrack& track : file.tracks) AppendChunk(out, "MTrk", TrackBody(track));
  return out;
}

}  // namespace zorsav::mml
