// Lays a sequenced Song out as MIDI tracks: a tempo track (title, time signature, tempo
// changes, markers) and one track per part that starts with its name, program, volume, pan
// and effect levels. Every track ends at the song's end tick.
#pragma once

#include "midi_file.h"
#include "song.h"

namespace zorsav::mml {

MidiFile BuildMidi(const Song& song);

}  // namespace zorsav::mml
