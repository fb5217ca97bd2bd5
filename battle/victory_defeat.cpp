// The two ends of the battle, run inside the turn that decided it.
#include "app/form1.h"
#include "battle/letter_sender.h"
#include "music/themes.h"
#include "platform/win32/kernel.h"
#include "platform/win32/shellapi.h"
#include "platform/win32/user.h"

// The monster falls, a letter of thanks arrives, and Next comes back. Drops stay off until
// the next press of Next.
void TForm1::Victory() {
  Sleep(200);
  ShowLine3(MonsterName + Sjis("をたおした。"));
  Image1->SetVisible(false);
  StopBattleTheme();
  Pause(2000);
  ShowLine1(LetterSender() + Sjis(" から感謝状が届いています。"));
  ClearLines23();
  Button1->SetVisible(false);
  Button2->SetVisible(false);
  Button3->SetVisible(false);
  Button4->SetVisible(false);
  Button5->SetVisible(true);
  StartEndingTheme();
}

// The screen turns red and the window takes it over; then the close button slides in.
void TForm1::Defeat() {
  HP->SetColor(clYellow);
  Panel1->SetColor(clRed);
  ShowLine3(Sjis("あなたはやられてしまった。"));
  StopBattleTheme();
  Pause(2000);
  ShowLine1(Sjis("はっはっは。このスクリーンはのっとった～～！！"));
  ClearLines23();
  Pause(2000);
  Image1->SetVisible(false);
  HP->SetVisible(false);
  Panel2->SetVisible(false);
  Refresh();
  Button1->SetVisible(false);
  Button2->SetVisible(false);
  Button3->SetVisible(false);
  Button4->SetVisible(false);
  SetLeft(-1);
  SetTop(-1);
  SetHeight(GetSystemMetrics(SM_CYSCREEN) + 2);
  SetWidth(GetSystemMetrics(SM_CXSCREEN) + 2);
  Button6->SetVisible(true);
  DragAcceptFiles(Handle(), TRUE);
  Application->ProcessMessages();
  Sleep(2000);
  // Top is read afresh at every step: the quit chain may have moved the button meanwhile.
  for (;;) {
    Button6->SetTop(Button6->Top() + 1);
    if (Button6->Top() >= 8) break;
    Refresh();
    Sleep(100);
    Application->ProcessMessages();
  }
}
