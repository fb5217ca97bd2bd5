// Turns a parsed picture into the bytes of a 4-bit BMP file or a one-image 4-bit ICO file, both
// with the palette of palette.h. Every multi-byte field is little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pixelart/parser.h"

namespace zorsav::pixelart {

// BITMAPFILEHEADER, a 40-byte BITMAPINFOHEADER with a positive height (rows bottom-up), the
// 16-entry palette as B, G, R, 0 and the rows, two pixels a byte, left pixel in the high nibble,
// each row padded to a multiple of 4 bytes.
std::vector<std::uint8_t> WriteBmp(const Picture& picture);

// ICONDIR, one ICONDIRENTRY, then a DIB whose header height is twice the picture's: the 4-bit
// colour rows bottom-up, then an all-zero (fully opaque) 1-bit AND mask, rows padded to 32 bits.
std::vector<std::uint8_t> WriteIco(const Picture& picture);

}  // namespace zorsav::pixelart
