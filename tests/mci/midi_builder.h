// Builds small Standard MIDI Files in memory for the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace mci::testing {

using Bytes = std::vector<std::uint8_t>;

// The events of one track, each after its delta time.
class TrackWriter {
 public:
  TrackWriter& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    VarLen(delta);
    body_.insert(body_.end(), bytes);
    return *this;
  }
  TrackWriter& Tempo(std::uint32_t delta, std::uint32_t micros_per_quarter) {
    return Event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros_per_quarter >> 16),
                         static_cast<std::uint8_t>(micros_per_quarter >> 8),
                         static_cast<std::uint8_t>(micros_per_quarter)});
  }
  TrackWriter& EndOfTrack(std::uint32_t delta) { return Event(delta, {0xFF, 0x2F, 0x00}); }
  const Bytes& body() const { return body_; }

 private:
  void VarLen(std::uint32_t value) {
    std::uint8_t groups[4];
    int count = 0;
    do {
      groups[count++] = value & 0x7F;
      value >>= 7;
    } while (value != 0 && count < 4);
    while (count > 1) body_.push_back(groups[--count] | 0x80);
    body_.push_back(groups[0]);
  }
  Bytes body_;
};

inline void Append32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void AppendChunk(Bytes& out, const char (&id)[5], const Bytes& body) {
  out.insert(out.end(), id, id + 4);
  Append32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

inline Bytes BuildMidi(int format, int division, const std::vector<Bytes>& tracks) {
  Bytes out;
  AppendChunk(out, "MThd",
              {0, static_cast<std::uint8_t>(format), 0, static_cast<std::uint8_t>(tracks.size()),
               static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)});
  for (const Bytes& track : tracks) AppendChunk(out, "MTrk", track);
  return out;
}

// A tune of `notes` back-to-back loud notes on a piano, each a quarter note at `tempo`
// microseconds per quarter: notes * tempo / 1e6 seconds long, sounding to the very end.
inline Bytes Tune(int notes, std::uint32_t tempo = 250000, int division = 96) {
  TrackWriter track;
  track.Tempo(0, tempo).Event(0, {0xC0, 0}).Event(0, {0xB0, 7, 127});
  for (int i = 0; i < notes; ++i) {
    const std::uint8_t key = static_cast<std::uint8_t>(60 + (i % 8));
    track.Event(0, {0x90, key, 110}).Event(static_cast<std::uint32_t>(division), {0x80, key, 0});
  }
  track.EndOfTrack(0);
  return BuildMidi(0, division, {track.body()});
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed at the end of its scope.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mci_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code code;
    std::filesystem::remove_all(path_, code);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace mci::testing
