// Parses the music of one track or phrase block into commands.
#pragma once

#include <vector>

#include "score.h"
#include "token_cursor.h"

namespace zorsav::mml {

// Reads commands up to the next directive line or the end of the text. Phrases named with
// $name must already be defined in score.
std::vector<Command> ParseMusic(TokenCursor& cursor, const Score& score);

// The key a drum letter stands for, or -1 if the letter names no drum.
int DrumKey(char letter);

}  // namespace zorsav::mml
