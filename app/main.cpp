// Program entry: the game on the Qt backend, with its music from the music module, which is
// loaded once the window shows so that its libraries stay out of the start-up.
#include "app/program.h"
#include "platform/qt/qt_backend.h"
#include "platform/sound/music_module.h"
#include "platform/vcl/backend.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/resources.h"
#include "platform/win32/user.h"

int main(int argc, char** argv) {
  if (!PrepareDisplay()) return 1;
  QtBackend backend(argc, argv);
  SetBackend(&backend);
  RegisterResources(EmbeddedResources());
  int exit_code = 0;
  {
    sound::MusicModule music(sound::MusicModulePath(),
                             [](HWND callback, WPARAM code, LPARAM device) {
                               PostMessageA(callback, MM_MCINOTIFY, code, device);
                             });
    SetMciCommandHandler(
        [&music](LPCSTR command, HWND callback) { return music.SendString(command, callback); });
    // The synth, the soundfont and the audio output then get ready in the background.
    backend.AfterFirstFrame([&music] { music.Load(); });
    exit_code = RunProgram();
    SetMciCommandHandler(nullptr);
  }
  SetBackend(nullptr);
  return exit_code;
}
