// Program entry: the game on the Qt backend, with its music from the MCI interpreter.
#include <memory>

#include "app/program.h"
#include "platform/mci/mci.h"
#include "platform/qt/qt_backend.h"
#include "platform/vcl/backend.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/resources.h"
#include "platform/win32/user.h"

int main(int argc, char** argv) {
  if (!PrepareDisplay()) return 1;
  QtBackend backend(argc, argv);
  SetBackend(&backend);
  RegisterResources(EmbeddedResources());
  // The synth, the soundfont and the audio output get ready in the background meanwhile.
  std::unique_ptr<mci::Interpreter> music =
      mci::CreateSystemInterpreter([](HWND callback, WPARAM code, LPARAM device) {
        PostMessageA(callback, MM_MCINOTIFY, code, device);
      });
  SetMciCommandHandler(
      [&music](LPCSTR command, HWND callback) { return music->SendString(command, callback); });
  int code = RunProgram();
  SetMciCommandHandler(nullptr);
  music.reset();
  SetBackend(nullptr);
  return code;
}
