#include "platform/win32/cp932.h"

std::size_t CharBoundaryPrefix(std::string_view bytes, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < bytes.size()) {
    std::size_t next = end + (IsDBCSLeadByte(static_cast<BYTE>(bytes[end])) ? 2 : 1);
    if (next > max_bytes || next > bytes.size()) break;
    end = next;
  }
  return end;
}
