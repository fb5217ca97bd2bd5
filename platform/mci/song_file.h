// Reads a MIDI file named at open and checks it before anything is handed to the sequencer.
#pragma once

#include <memory>
#include <string>

#include "platform/mci/sequencer.h"

namespace mci {

// Reads `path` (relative paths resolve against the working directory). Returns the song, or
// nothing with `error` set to MCIERR_FILE_NOT_FOUND or MCIERR_INVALID_FILE.
std::shared_ptr<const Song> ReadSongFile(const std::string& path, MCIERROR& error);

}  // namespace mci
