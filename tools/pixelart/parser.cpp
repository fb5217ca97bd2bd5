// The text format is described in parser.h and the legend in palette.h.
#include "tools/pixelart/parser.h"

#include <cstdio>

#include "tools/pixelart/palette.h"

namespace zorsav::pixelart {
namespace {

std::string Describe(char c) {
  auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x21 && byte < 0x7F) return std::string("'") + c + "'";
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "byte 0x%02X", byte);
  return buffer;
}

ParseResult Fail(int line, int column, std::string message) {
  return ParseResult{std::nullopt, ParseError{line, column, std::move(message)}};
}

// Checks one pixel row and appends its indices; returns an error message or nothing.
std::optional<ParseError> ReadRow(std::string_view row, int line, int width, Picture& picture) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    int column = static_cast<int>(i) + 1;
    if (column > width) {
      return ParseError{line, column, "row is longer than " + std::to_string(width) + " pixels"};
    }
    auto index = IndexOfChar(row[i]);
    if (!index) return ParseError{line, column, "unknown colour character " + Describe(row[i])};
    picture.indices.push_back(*index);
  }
  if (static_cast<int>(row.size()) < width) {
    return ParseError{
        line, static_cast<int>(row.size()) + 1,
        "row has " + std::to_string(row.size()) + " pixels, expected " + std::to_string(width)};
  }
  return std::nullopt;
}

}  // namespace

ParseResult ParsePicture(std::string_view text, int width, int height) {
  Picture picture{width, height, {}};
  int line = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    ++line;
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view row = text.substr(at, end - at);
    at = end + 1;
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (row.empty() || row.front() == '#') continue;
    if (static_cast<int>(picture.indices.size()) >= width * height) {
      return Fail(line, 1, "more than " + std::to_string(height) + " rows");
    }
    if (auto error = ReadRow(row, line, width, picture)) return ParseResult{std::nullopt, *error};
  }
  int rows = width > 0 ? static_cast<int>(picture.indices.size()) / width : 0;
  if (rows < height) {
    return Fail(
        line + 1, 1,
        "picture ends after " + std::to_string(rows) + " rows, expected " + std::to_string(height));
  }
  return ParseResult{std::move(picture), {}};
}

}  // namespace zorsav::pixelart
