// The fixed 16-colour palette of every picture, and the one character that stands for each
// colour in the text art.
//
// Legend (index: character colour). Lower case is the dark half of the palette, upper case the
// bright half, in the usual terminal order k r g y b m c w; black is '.' so the background
// stays quiet:
//    0 '.' black     1 'r' maroon    2 'g' green     3 'y' olive
//    4 'b' navy      5 'm' purple    6 'c' teal      7 'w' silver
//    8 'K' grey      9 'R' red      10 'G' lime     11 'Y' yellow
//   12 'B' blue     13 'M' fuchsia  14 'C' aqua     15 'W' white
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zorsav::pixelart {

inline constexpr int kPaletteSize = 16;

// kLegend[i] is the character for palette index i.
inline constexpr std::string_view kLegend = ".rgybmcwKRGYBMCW";

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

inline constexpr std::array<Rgb, kPaletteSize> kPalette = {{
    {0, 0, 0},        // black
    {128, 0, 0},      // maroon
    {0, 128, 0},      // green
    {128, 128, 0},    // olive
    {0, 0, 128},      // navy
    {128, 0, 128},    // purple
    {0, 128, 128},    // teal
    {192, 192, 192},  // silver
    {128, 128, 128},  // grey
    {255, 0, 0},      // red
    {0, 255, 0},      // lime
    {255, 255, 0},    // yellow
    {0, 0, 255},      // blue
    {255, 0, 255},    // fuchsia
    {0, 255, 255},    // aqua
    {255, 255, 255},  // white
}};

// The palette index a legend character stands for, or nothing if it is not in the legend.
std::optional<std::uint8_t> IndexOfChar(char c);

}  // namespace zorsav::pixelart
