// Turns tokens into a Score: directive lines set global values and open track and phrase
// blocks; the music between them is parsed by the music parser.
#pragma once

#include <string_view>

#include "score.h"

namespace zorsav::mml {

// Throws CompileError at the first fault in the text.
Score ParseScore(std::string_view text);

}  // namespace zorsav::mml
