// Reads a picture drawn as text.
//
// The format, line by line (lines end in "\n"; a "\r" before it is dropped):
//   - A line whose first character is '#' is a comment; an empty line is ignored.
//   - Every other line is one pixel row, top row first, one legend character per pixel (see
//     palette.h). Nothing else may be on the line, not even trailing blanks.
//   - There must be exactly `height` rows of exactly `width` characters.
// Lines and columns in errors are counted from 1; a column counts bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorsav::pixelart {

// Palette indices, row-major, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;

  std::uint8_t At(int x, int y) const { return indices[static_cast<std::size_t>(y) * width + x]; }
};

struct ParseError {
  int line = 1;
  int column = 1;
  std::string message;
};

// Exactly one of the two is meaningful: the picture when it is set, otherwise the error.
struct ParseResult {
  std::optional<Picture> picture;
  ParseError error;
};

ParseResult ParsePicture(std::string_view text, int width, int height);

}  // namespace zorsav::pixelart
