#include "vlq.h"

#include <stdexcept>

namespace zorsav::mml {

void AppendVlq(std::vector<uint8_t>& out, uint32_t value) {
  if (value > kMaxVlq) throw std::out_of_range("value too large for a MIDI variable-length number");
  uint8_t bytes[4];
  int count = 0;
  do {
    bytes[count++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(static_cast<uint8_t>(bytes[--count] | 0x80));
  out.push_back(bytes[0]);
}

}  // namespace zorsav::mml
