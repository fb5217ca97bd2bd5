#include "music/themes.h"

#include "platform/win32/mmsystem.h"

namespace {

void Send(LPCSTR command, HWND callback = nullptr) {
  mciSendStringA(command, nullptr, 0, callback);
}

}  // namespace

void StartBattleTheme(HWND callback) {
  Send("open ZORSAVM1.MID");
  Send("play ZORSAVM1.MID notify", callback);
}

void LoopBattleTheme(HWND callback) {
  Send("seek ZORSAVM1.MID to start");
  Send("play ZORSAVM1.MID notify", callback);
}

void StopBattleTheme() {
  Send("stop ZORSAVM1.MID");
  Send("close ZORSAVM1.MID");
}

void StartEndingTheme() {
  Send("open ZORSAVM2.MID");
  Send("play ZORSAVM2.MID");
}

void StopEndingTheme() {
  Send("stop ZORSAVM2.MID");
  Send("close ZORSAVM2.MID");
}
