// The whole compiler: score text in, Standard MIDI File bytes or the first fault out.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "diagnostic.h"

namespace zorsav::mml {

struct CompileResult {
  std::vector<uint8_t> midi;        // empty when error is set
  std::optional<Diagnostic> error;  // the first fault in the score
  bool ok() const { return !error.has_value(); }
};

// Never throws: every fault in the text comes back as a Diagnostic.
CompileResult CompileScore(std::string_view text);

}  // namespace zorsav::mml
