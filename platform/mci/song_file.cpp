#include "platform/mci/song_file.h"

#include <filesystem>
#include <fstream>

namespace mci {
namespace {

// Far above any song; keeps a mistaken open of a huge file from reading it all.
constexpr std::uintmax_t kMaxSongBytes = 16 * 1024 * 1024;

}  // namespace

std::shared_ptr<const Song> ReadSongFile(const std::string& path, MCIERROR& error) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(path, code)) {
    error = MCIERR_FILE_NOT_FOUND;
    return nullptr;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, code);
  std::ifstream in(path, std::ios::binary);
  if (code || !in) {
    error = MCIERR_FILE_NOT_FOUND;
    return nullptr;
  }
  error = MCIERR_INVALID_FILE;
  if (size > kMaxSongBytes) return nullptr;
  auto song = std::make_shared<Song>();
  song->bytes.resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(song->bytes.data()), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) return nullptr;
  const auto file = ParseMidiFile(song->bytes);
  if (!file) return nullptr;
  song->total_ticks = TotalTicks(*file);
  error = 0;
  return song;
}

}  // namespace mci
