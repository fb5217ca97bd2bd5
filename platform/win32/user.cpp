#include "platform/win32/user.h"

#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"
#include "platform/win32/cp932.h"

BOOL ShowWindow(HWND window, int command) {
  if (Application == nullptr || window != Application->Handle()) return FALSE;
  if (command == SW_HIDE) CurrentBackend().HideTaskbarButton();
  return TRUE;
}

BOOL SetForegroundWindow(HWND window) {
  TForm* form = FindFormByHandle(window);
  if (form == nullptr) return FALSE;
  CurrentBackend().BringToFront(*form);
  return TRUE;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return CurrentBackend().ScreenWidth();
    case SM_CYSCREEN:
      return CurrentBackend().ScreenHeight();
    default:
      return 0;
  }
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  TForm* form = FindFormByHandle(window);
  if (form == nullptr) return FALSE;
  CurrentBackend().PostMessage(*form, message, wparam, lparam);
  return TRUE;
}

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  if (text == nullptr) return 0;
  for (DWORD i = 0; i < length; ++i) {
    auto byte = static_cast<BYTE>(text[i]);
    if (IsDBCSLeadByte(byte)) {
      ++i;  // the trail byte belongs to the character, never a letter of its own
    } else if (byte >= 'a' && byte <= 'z') {
      text[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return length;
}
