#include "platform/win32/mmsystem.h"

#include <utility>

namespace {
MciCommandHandler& Handler() {
  static MciCommandHandler handler;
  return handler;
}
}  // namespace

MCIERROR mciSendStringA(LPCSTR command, LPSTR return_buffer, UINT return_length, HWND callback) {
  if (return_buffer != nullptr && return_length > 0) return_buffer[0] = '\0';
  if (command == nullptr) return MCIERR_MISSING_PARAMETER;
  if (!Handler()) return MCIERR_CANNOT_LOAD_DRIVER;
  return Handler()(command, callback);
}

void SetMciCommandHandler(MciCommandHandler handler) { Handler() = std::move(handler); }
