#include "app/program.h"

#include <exception>

#include "app/form1.h"

int RunProgram() {
  TApplication application;
  try {
    Application->Initialize();
    Application->SetTitle(Sjis("ZOR-ScreenSaver"));
    Application->CreateForm(Form1);
    Application->Run();
  } catch (const std::exception& error) {
    Application->ShowException(error);
    return 1;
  }
  return 0;
}
