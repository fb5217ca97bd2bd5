// Arbitrary bytes as the path the desktop hands over, through the whole name pipeline: the
// conversion to the ANSI code page and its cut, the drop handle and its 255-byte buffer, the
// extension rule and the choice of the event. Nothing may crash or read past a buffer, and
// the result is always one of the sixteen events.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "drop/events.h"
#include "drop/extension.h"
#include "platform/win32/shellapi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view path(reinterpret_cast<const char*>(data), size);
  AnsiString name = AnsiPathFromDesktop(path);
  if (name.Length() > 254) std::abort();

  HDROP drop = MakeDropHandle({name});
  char buffer[255];
  UINT copied = DragQueryFileA(drop, 0, buffer, sizeof buffer);
  if (copied > 254 || buffer[copied] != '\0') std::abort();
  if (DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, sizeof buffer) != 1) std::abort();
  DragFinish(drop);
  if (LiveDropHandles() != 0) std::abort();

  int row = DropEventRow(UpperExtension(AnsiString::FromBytes(buffer)));
  if (row < 1 || row > static_cast<int>(DropEvents().size())) std::abort();
  return 0;
}
