// Byte-level facts of the CP932 (Shift-JIS) code page.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/win32/types.h"

// True for a byte that starts a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsDBCSLeadByte(BYTE byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the longest prefix of `bytes` that is at most `max_bytes` long and does not
// end inside a double-byte character.
std::size_t CharBoundaryPrefix(std::string_view bytes, std::size_t max_bytes);
