#include "battle/letter_sender.h"

AnsiString LetterSenderName(const OSVERSIONINFOA& version) {
  DWORD value = version.dwMajorVersion * 100u + version.dwMinorVersion;
  switch (version.dwPlatformId) {
    case 0:
      return Sjis("Windows 3.1");
    case 1:
      if (value < 410u) return Sjis("Windows 95");
      if (value < 420u) return Sjis("Windows 98");
      return Sjis("Windows");
    case 2:
      return Sjis("Windows NT");
    default:
      return Sjis("スクリーン");
  }
}

AnsiString LetterSender() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return LetterSenderName(version);
}
