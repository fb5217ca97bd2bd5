// Program entry: the game on the Qt backend, with music from the MCI interpreter.
#include "app/program.h"
#include "platform/qt/qt_backend.h"
#include "platform/vcl/backend.h"
#include "platform/win32/resources.h"

int main(int argc, char** argv) {
  if (!PrepareDisplay()) return 1;
  QtBackend backend(argc, argv);
  SetBackend(&backend);
  RegisterResources(EmbeddedResources());
  int code = RunProgram();
  SetBackend(nullptr);
  return code;
}
