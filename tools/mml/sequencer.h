// Plays the commands of a Score through in time: octave, length, velocity and gate state,
// loops and phrases, bar checks. The result has absolute ticks and MIDI key numbers.
#pragma once

#include "score.h"
#include "song.h"

namespace zorsav::mml {

// Throws CompileError at a note out of range, an octave or velocity pushed out of range, a
// dotted length that is not a whole number of ticks, a bar check off the bar line, or a score
// too long to write.
Song Sequence(const Score& score);

}  // namespace zorsav::mml
