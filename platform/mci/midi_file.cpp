#include "platform/mci/midi_file.h"

#include <algorithm>
#include <limits>

namespace mci {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // 120 beats per minute
constexpr std::uint64_t kMaxTick = std::numeric_limits<std::int32_t>::max();

// A bounded reader over one chunk; every read past the end fails and sticks.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  bool AtEnd() const { return pos_ >= bytes_.size(); }

  std::uint8_t Byte() {
    if (pos_ >= bytes_.size()) {
      ok_ = false;
      return 0;
    }
    return bytes_[pos_++];
  }

  std::uint8_t Peek() const { return pos_ < bytes_.size() ? bytes_[pos_] : 0; }

  std::uint32_t BigEndian(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | Byte();
    return value;
  }

  // A variable-length quantity of at most four bytes.
  std::uint32_t VarLen() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t byte = Byte();
      value = (value << 7) | (byte & 0x7F);
      if ((byte & 0x80) == 0) return value;
    }
    ok_ = false;
    return 0;
  }

  void Skip(std::uint32_t count) {
    if (count > bytes_.size() - std::min(pos_, bytes_.size())) {
      ok_ = false;
      pos_ = bytes_.size();
      return;
    }
    pos_ += count;
  }

  std::span<const std::uint8_t> Take(std::uint32_t count) {
    const std::size_t start = pos_;
    Skip(count);
    return ok_ ? bytes_.subspan(start, count) : std::span<const std::uint8_t>();
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

int DataBytes(std::uint8_t status) {
  const int kind = status >> 4;
  return (kind == 0xC || kind == 0xD) ? 1 : 2;
}

// A meta event after its 0xFF; returns false at End of Track.
bool ReadMeta(Reader& reader, std::uint64_t tick, MidiTrack& track) {
  const std::uint8_t type = reader.Byte();
  const std::uint32_t length = reader.VarLen();
  const auto data = reader.Take(length);
  if (!reader.ok()) return true;
  if (type == 0x2F) return false;
  if (type == 0x51 && length == 3) {
    MidiEvent event;
    event.tick = static_cast<std::uint32_t>(tick);
    event.status = 0xFF;
    event.tempo = (std::uint32_t{data[0]} << 16) | (std::uint32_t{data[1]} << 8) | data[2];
    if (event.tempo > 0) track.events.push_back(event);
  }
  return true;
}

bool ReadChannelMessage(Reader& reader, std::uint8_t status, std::uint64_t tick, MidiTrack& track) {
  MidiEvent event;
  event.tick = static_cast<std::uint32_t>(tick);
  event.status = status;
  event.data1 = reader.Byte();
  if (DataBytes(status) == 2) event.data2 = reader.Byte();
  if (!reader.ok() || event.data1 > 0x7F || event.data2 > 0x7F) return false;
  track.events.push_back(event);
  return true;
}

std::optional<MidiTrack> ReadTrack(std::span<const std::uint8_t> chunk) {
  Reader reader(chunk);
  MidiTrack track;
  std::uint64_t tick = 0;
  std::uint8_t running = 0;
  while (true) {
    if (reader.AtEnd()) return std::nullopt;  // no End of Track
    tick += reader.VarLen();
    if (!reader.ok() || tick > kMaxTick) return std::nullopt;
    std::uint8_t status = running;
    if (reader.Peek() & 0x80) status = reader.Byte();
    if (status < 0x80) return std::nullopt;  // data byte with no running status
    if (status == 0xFF) {
      running = 0;
      if (!ReadMeta(reader, tick, track)) break;
    } else if (status == 0xF0 || status == 0xF7) {
      running = 0;
      reader.Skip(reader.VarLen());
    } else if (status >= 0xF1) {
      return std::nullopt;  // system messages other than SysEx have no place in a file
    } else {
      running = status;
      if (!ReadChannelMessage(reader, status, tick, track)) return std::nullopt;
    }
    if (!reader.ok()) return std::nullopt;
  }
  track.end_tick = static_cast<std::uint32_t>(tick);
  return track;
}

bool ReadHeader(Reader& reader, MidiFile& file, std::uint32_t& track_count) {
  if (reader.BigEndian(4) != 0x4D546864 || reader.BigEndian(4) != 6) return false;  // "MThd"
  file.format = static_cast<int>(reader.BigEndian(2));
  track_count = reader.BigEndian(2);
  const std::uint32_t division = reader.BigEndian(2);
  if (!reader.ok() || file.format > 1 || track_count == 0) return false;
  if (file.format == 0 && track_count != 1) return false;
  if (division == 0 || (division & 0x8000) != 0) return false;  // no SMPTE timing
  file.division = static_cast<int>(division);
  return true;
}

}  // namespace

std::optional<MidiFile> ParseMidiFile(std::span<const std::uint8_t> bytes) {
  Reader reader(bytes);
  MidiFile file;
  std::uint32_t track_count = 0;
  if (!ReadHeader(reader, file, track_count)) return std::nullopt;
  // Chunks follow one another to the end; a few stray bytes after the last are tolerated.
  while (reader.ok() && !reader.AtEnd()) {
    const std::uint32_t id = reader.BigEndian(4);
    const std::uint32_t length = reader.BigEndian(4);
    if (!reader.ok()) break;
    const auto chunk = reader.Take(length);
    if (!reader.ok()) return std::nullopt;
    if (id != 0x4D54726B) continue;  // not "MTrk": skipped, as the format asks
    if (file.tracks.size() == track_count) return std::nullopt;
    auto track = ReadTrack(chunk);
    if (!track) return std::nullopt;
    file.tracks.push_back(std::move(*track));
  }
  if (file.tracks.size() != track_count) return std::nullopt;
  return file;
}

std::uint32_t TotalTicks(const MidiFile& file) {
  std::uint32_t total = 0;
  for (const MidiTrack& track : file.tracks) total = std::max(total, track.end_tick);
  return total;
}

double SecondsAt(const MidiFile& file, std::uint32_t tick) {
  std::vector<MidiEvent> tempos;
  for (const MidiTrack& track : file.tracks) {
    for (const MidiEvent& event : track.events) {
      if (event.status == 0xFF && event.tick < tick) tempos.push_back(event);
    }
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  double seconds = 0;
  std::uint32_t at = 0;
  std::uint32_t tempo = kDefaultTempo;
  for (const MidiEvent& change : tempos) {
    seconds += (change.tick - at) * (tempo / 1e6) / file.division;
    at = change.tick;
    tempo = change.tempo;
  }
  return seconds + (tick - at) * (tempo / 1e6) / file.division;
}

}  // namespace mci
