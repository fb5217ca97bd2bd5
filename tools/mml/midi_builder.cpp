#include "midi_builder.h"

#include <algorithm>
#include <bit>
#include <string>

#include "vlq.h"

namespace zorsav::mml {
namespace {

constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaMarker = 0x06;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;
constexpr uint8_t kControlVolume = 7;
constexpr uint8_t kControlPan = 10;
constexpr uint8_t kControlReverb = 91;
constexpr uint8_t kControlChorus = 93;

// At one tick, note-offs go first (so a repeated key is released before it is struck again),
// then everything else in the order it was added, then note-ons.
enum class Slot { kNoteOff = 0, kOther = 1, kNoteOn = 2 };

struct Pending {
  uint32_t tick;
  Slot slot;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Meta(uint8_t type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes{0xFF, type};
  AppendVlq(bytes, static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

std::vector<uint8_t> TextMeta(uint8_t type, const std::string& text) {
  return Meta(type, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> TempoMeta(int bpm) {
  const uint32_t micros = 60'000'000 / static_cast<uint32_t>(bpm);
  return Meta(kMetaTempo, {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                           static_cast<uint8_t>(micros)});
}

MidiTrack Finish(std::vector<Pending> pending, uint32_t end_tick) {
  std::stable_sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.slot < b.slot;
  });
  MidiTrack track;
  for (Pending& event : pending) track.events.push_back({event.tick, std::move(event.bytes)});
  track.events.push_back({end_tick, Meta(kMetaEndOfTrack, {})});
  return track;
}

MidiTrack TempoTrack(const Song& song, uint32_t end_tick) {
  std::vector<Pending> pending;
  if (!song.title.empty())
    pending.push_back({0, Slot::kOther, TextMeta(kMetaTrackName, song.title)});
  const auto unit_log2 =
      static_cast<uint8_t>(std::countr_zero(static_cast<unsigned>(song.beat_unit)));
  pending.push_back(
      {0, Slot::kOther,
       Meta(kMetaTimeSignature, {static_cast<uint8_t>(song.beats_per_bar), unit_log2, 24, 8})});
  for (const TempoChange& tempo : song.tempos) {
    pending.push_back({static_cast<uint32_t>(tempo.tick), Slot::kOther, TempoMeta(tempo.bpm)});
  }
  for (const Marker& marker : song.markers) {
    pending.push_back(
        {static_cast<uint32_t>(marker.tick), Slot::kOther, TextMeta(kMetaMarker, marker.text)});
  }
  return Finish(std::move(pending), end_tick);
}

MidiTrack PartTrack(const SequencedTrack& part, uint32_t end_tick) {
  const TrackHeader& header = part.header;
  const auto channel = static_cast<uint8_t>(header.channel - 1);
  auto control = [channel](uint8_t number, int value) {
    return std::vector<uint8_t>{static_cast<uint8_t>(0xB0 | channel), number,
                                static_cast<uint8_t>(value)};
  };
  std::vector<Pending> pending;
  if (!header.name.empty())
    pending.push_back({0, Slot::kOther, TextMeta(kMetaTrackName, header.name)});
  pending.push_back(
      {0,
       Slot::kOther,
       {static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(header.program - 1)}});
  pending.push_back({0, Slot::kOther, control(kControlVolume, header.volume)});
  pending.push_back({0, Slot::kOther, control(kControlPan, header.pan)});
  pending.push_back({0, Slot::kOther, control(kControlReverb, header.reverb)});
  pending.push_back({0, Slot::kOther, control(kControlChorus, header.chorus)});
  for (const NoteEvent& note : part.notes) {
    const auto key = static_cast<uint8_t>(note.key);
    pending.push_back(
        {static_cast<uint32_t>(note.start),
         Slot::kNoteOn,
         {static_cast<uint8_t>(0x90 | channel), key, static_cast<uint8_t>(note.velocity)}});
    pending.push_back({static_cast<uint32_t>(note.end),
                       Slot::kNoteOff,
                       {static_cast<uint8_t>(0x80 | channel), key, 0x40}});
  }
  return Finish(std::move(pending), end_tick);
}

}  // namespace

MidiFile BuildMidi(const Song& song) {
  MidiFile file;
  file.division = kTicksPerQuarter;
  const auto end_tick = static_cast<uint32_t>(song.end_tick);
  file.tracks.push_back(TempoTrack(song, end_tick));
  for (const SequencedTrack& part : song.tracks) file.tracks.push_back(PartTrack(part, end_tick));
  return file;
}

}  // namespace zorsav::mml
