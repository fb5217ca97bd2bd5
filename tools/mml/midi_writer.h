// Serialises a MidiFile as a format 1 Standard MIDI File: an MThd chunk, then one MTrk chunk
// per track with delta times. Running status is not used.
#pragma once

#include <cstdint>
#include <vector>

#include "midi_file.h"

namespace zorsav::mml {

std::vector<uint8_t> SerializeMidi(const MidiFile& file);

}  // namespace zorsav::mml
