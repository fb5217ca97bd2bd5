// User services: windows, the screen, posted messages and ANSI upper-casing.
#pragma once

#include "platform/win32/types.h"

// SW_HIDE on the application's window removes the program's taskbar button.
BOOL ShowWindow(HWND window, int command);
BOOL SetForegroundWindow(HWND window);
int GetSystemMetrics(int index);
// Queues a message for a form's window; safe from any thread. FALSE for an unknown window.
BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Upper-cases `length` bytes in place, the ASCII letters only; the second byte of a
// double-byte character is never touched. Returns the number of bytes processed.
DWORD CharUpperBuffA(LPSTR text, DWORD length);
