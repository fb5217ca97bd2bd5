// zorsav-pixelart bmp <in.txt> <out.bmp>   a 32 x 32 monster picture
// zorsav-pixelart ico <in.txt> <out.ico>   the 16 x 16 program icon
//
// On any fault it prints "<file>:<line>:<column>: error: <message>", leaves no output file
// behind (not even an old one) and exits 1.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pixelart/parser.h"
#include "tools/pixelart/writers.h"

namespace {

using zorsav::pixelart::Picture;

struct Job {
  int size = 0;
  std::vector<std::uint8_t> (*write)(const Picture&) = nullptr;
};

std::optional<Job> JobFor(std::string_view kind) {
  if (kind == "bmp") return Job{32, zorsav::pixelart::WriteBmp};
  if (kind == "ico") return Job{16, zorsav::pixelart::WriteIco};
  return std::nullopt;
}

int Report(const std::string& file, int line, int column, const std::string& message) {
  std::cerr << file << ':' << line << ':' << column << ": error: " << message << '\n';
  return 1;
}

std::optional<std::string> ReadText(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// Writes beside the target and renames, so a reader never sees half a file.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(part.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(part, path, error);
  if (error) std::remove(part.c_str());
  return !error;
}

int Run(const Job& job, const std::string& in_path, const std::string& out_path) {
  std::remove(out_path.c_str());  // a stale picture must not outlive a failed run
  auto text = ReadText(in_path);
  if (!text) return Report(in_path, 1, 1, "cannot read the file");
  auto result = zorsav::pixelart::ParsePicture(*text, job.size, job.size);
  if (!result.picture) {
    return Report(in_path, result.error.line, result.error.column, result.error.message);
  }
  if (!WriteFile(out_path, job.write(*result.picture))) {
    return Report(out_path, 1, 1, "cannot write the file");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Job> job = argc == 4 ? JobFor(argv[1]) : std::nullopt;
  if (!job) {
    std::cerr << "usage: zorsav-pixelart bmp|ico <in.txt> <out>\n";
    return 1;
  }
  return Run(*job, argv[2], argv[3]);
}
