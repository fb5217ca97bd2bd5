#include "file_compiler.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "compiler.h"

namespace zorsav::mml {
namespace {

void Report(std::ostream& errors, const std::string& path, SourceLoc loc,
            const std::string& message) {
  errors << path << ':' << loc.line << ':' << loc.column << ": error: " << message << '\n';
}

// Writes beside the target and renames, so the target is either complete or absent.
bool WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int CompileFile(const std::string& score_path, const std::string& midi_path, std::ostream& errors) {
  // A stale file from an earlier build must not survive a failed one.
  std::remove(midi_path.c_str());
  std::ifstream in(score_path, std::ios::binary);
  if (!in) {
    Report(errors, score_path, SourceLoc{}, "cannot read the score");
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const CompileResult result = CompileScore(text.str());
  if (!result.ok()) {
    Report(errors, score_path, result.error->loc, result.error->message);
    return 1;
  }
  if (!WriteAtomically(midi_path, result.midi)) {
    Report(errors, score_path, SourceLoc{}, "cannot write " + midi_path);
    return 1;
  }
  return 0;
}

}  // namespace zorsav::mml
