#include "tools/pixelart/palette.h"

namespace zorsav::pixelart {

std::optional<std::uint8_t> IndexOfChar(char c) {
  std::size_t at = kLegend.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  return static_cast<std::uint8_t>(at);
}

}  // namespace zorsav::pixelart
