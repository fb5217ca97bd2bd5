// Compiles a score file to a MIDI file, as the build does it: faults are reported as
// "<file>:<line>:<column>: error: <message>", and a failed compile leaves no output file.
#pragma once

#include <ostream>
#include <string>

namespace zorsav::mml {

// Returns the process exit status: 0 when the MIDI file was written, 1 otherwise.
int CompileFile(const std::string& score_path, const std::string& midi_path, std::ostream& errors);

}  // namespace zorsav::mml
