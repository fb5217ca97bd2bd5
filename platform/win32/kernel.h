// Kernel services: the tick counter, sleeping and the version query.
#pragma once

#include <optional>

#include "platform/win32/types.h"

// Milliseconds since the system started, as an unsigned 32-bit value that wraps.
DWORD GetTickCount();
// Blocks the user-interface thread for that many milliseconds.
void Sleep(DWORD milliseconds);

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

// The platform id this system reports: none of the three Windows families (0, 1, 2).
constexpr DWORD VER_PLATFORM_LINUX = 0x4C4E5800;

// Fills in the version of the system. Fails (FALSE) unless the size field is 148.
BOOL GetVersionExA(OSVERSIONINFOA* info);
// Lets tests pretend to be another system; nullopt reports the real one again.
void SetVersionForTesting(std::optional<OSVERSIONINFOA> version);
