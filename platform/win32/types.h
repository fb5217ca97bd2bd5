// Win32-named scalar types, handles and constants used by the game and the platform.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using MCIERROR = DWORD;
using LPCSTR = const char*;
using LPSTR = char*;
using TColor = std::uint32_t;  // 0x00BBGGRR: red in the lowest byte

// Opaque handles. Each is a distinct pointer type so that they cannot be mixed up.
struct HWND__;
struct HDROP__;
struct HBITMAP__;
struct HINSTANCE__;
using HWND = HWND__*;
using HDROP = HDROP__*;
using HBITMAP = HBITMAP__*;
using HINSTANCE = HINSTANCE__*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Window messages.
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_DROPFILES = 0x0233;
constexpr UINT MM_MCINOTIFY = 0x03B9;

// MM_MCINOTIFY codes (wParam).
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 1;
constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 2;
constexpr WPARAM MCI_NOTIFY_ABORTED = 4;
constexpr WPARAM MCI_NOTIFY_FAILURE = 8;

// MCI error codes returned by mciSendStringA. 0 is success.
constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_DEVICE_OPEN = MCIERR_BASE + 9;
constexpr MCIERROR MCIERR_CANNOT_LOAD_DRIVER = MCIERR_BASE + 10;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;
constexpr MCIERROR MCIERR_SEQ_NOMIDIPRESENT = MCIERR_BASE + 87;

// Message box styles and answers.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_TYPEMASK = 0x0F;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// ShowWindow and GetSystemMetrics.
constexpr int SW_HIDE = 0;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
