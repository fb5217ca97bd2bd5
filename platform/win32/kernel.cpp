#include "platform/win32/kernel.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstring>

#include "platform/vcl/backend.h"

namespace {

std::optional<OSVERSIONINFOA> g_fake_version;

OSVERSIONINFOA RealVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  info.dwPlatformId = VER_PLATFORM_LINUX;
  utsname name{};
  if (uname(&name) == 0) {
    unsigned major = 0, minor = 0, build = 0;
    std::sscanf(name.release, "%u.%u.%u", &major, &minor, &build);
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    std::snprintf(info.szCSDVersion, sizeof info.szCSDVersion, "%s", name.sysname);
  }
  return info;
}

}  // namespace

DWORD GetTickCount() { return CurrentBackend().TickCount(); }

void Sleep(DWORD milliseconds) { CurrentBackend().Sleep(milliseconds); }

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  *info = g_fake_version ? *g_fake_version : RealVersion();
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  return TRUE;
}

void SetVersionForTesting(std::optional<OSVERSIONINFOA> version) { g_fake_version = version; }
