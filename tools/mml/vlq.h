// MIDI variable-length quantities: seven bits a byte, most significant first, the top bit set
// on every byte but the last.
#pragma once

#include <cstdint>
#include <vector>

namespace zorsav::mml {

constexpr uint32_t kMaxVlq = 0x0FFFFFFF;

// Appends value (at most kMaxVlq; larger values throw std::out_of_range) to out.
void AppendVlq(std::vector<uint8_t>& out, uint32_t value);

}  // namespace zorsav::mml
