// Reads back what the writers produce, independently of them: little-endian fields at fixed
// offsets and the 4-bit rows, bottom row first.
#pragma once

#include <cstdint>
#include <vector>

namespace zorsav::pixelart::testing_support {

inline std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + i);
  return value;
}

// Palette indices, top row first, of a 4-bit bottom-up DIB whose rows start at `pixels_at`.
inline std::vector<std::uint8_t> DecodeRows(const std::vector<std::uint8_t>& bytes,
                                            std::size_t pixels_at, int width, int height) {
  std::size_t stride = ((static_cast<std::size_t>(width) * 4 + 31) / 32) * 4;
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < height; ++y) {
    std::size_t row_at = pixels_at + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t byte = bytes.at(row_at + x / 2);
      indices.push_back(x % 2 == 0 ? byte >> 4 : byte & 0x0F);
    }
  }
  return indices;
}

}  // namespace zorsav::pixelart::testing_support
