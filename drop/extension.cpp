#include "drop/extension.h"

#include <string>

#include "platform/win32/cp932.h"
#include "platform/win32/user.h"

namespace {

// Where the extension starts, or npos. The scan walks whole characters from the start, so
// a trail byte such as the 0x5C of "ソ" is never taken for a backslash. On this system the
// folder separator "/" ends the search too, so a dot in a folder name gives no extension.
std::size_t ExtensionStart(const std::string& name) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < name.size(); ++i) {
    auto byte = static_cast<BYTE>(name[i]);
    if (IsDBCSLeadByte(byte)) {
      ++i;
      continue;
    }
    if (byte == '.' || byte == '\\' || byte == ':' || byte == '/') last = i;
  }
  if (last == std::string::npos || name[last] != '.') return std::string::npos;
  return last;
}

}  // namespace

AnsiString UpperExtension(const AnsiString& name) {
  std::size_t start = ExtensionStart(name.Bytes());
  if (start == std::string::npos) return AnsiString();
  std::string extension = name.Bytes().substr(start);
  CharUpperBuffA(extension.data(), static_cast<DWORD>(extension.size()));
  return AnsiString::FromBytes(extension);
}
