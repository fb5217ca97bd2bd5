// The close button after a defeat: a chain of teasing boxes. Only Yes, then Yes again to
// "did you really do it?", lets the program end.
#include "app/form1.h"

namespace {

int Ask(const char* text, const char* title, UINT style) {
  return Application->MessageBox(Sjis(text), Sjis(title), style);
}

}  // namespace

void TForm1::Button6Click(TObject*) {
  if (Ask("終了したいですか？", "敗北", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  Ask("３回まわってワンと言ってください。", "敗北", MB_ICONINFORMATION);
  if (Ask("本当にやりましたか？", "敗北", MB_YESNO | MB_ICONQUESTION) == IDYES) {
    Ask("では、終了します。", "終了", MB_OK);
    AllowClose = true;
    // Puts the button at rest, so that a slide still running stops at its next step.
    Button6->SetTop(8);
    Close();
    return;
  }
  Ask("却下！", "敗北", MB_ICONHAND);
}
