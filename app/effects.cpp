// The screen effects. Each one is synchronous: it changes controls, repaints at once where a
// change must be seen during the sleep that follows, sleeps, and returns. None of them lets
// other messages through, so no handler can run while an effect plays.
#include "app/form1.h"
#include "platform/win32/kernel.h"

void TForm1::ShowLine1(const AnsiString& text) { Mes1->SetCaption(text); }

void TForm1::ShowLine2(const AnsiString& text) { Mes2->SetCaption(text); }

void TForm1::ShowLine3(const AnsiString& text) { Mes3->SetCaption(text); }

void TForm1::ClearLines23() {
  ShowLine2(AnsiString());
  ShowLine3(AnsiString());
}

void TForm1::Pause(DWORD milliseconds) {
  Refresh();
  Sleep(milliseconds);
}

void TForm1::FlashScreen(TColor colour, DWORD wait) {
  Panel1->SetColor(colour);
  Refresh();
  Sleep(50);
  Panel1->SetColor(clBlack);
  Refresh();
  Sleep(wait);
}

void TForm1::WhiteFlashes() {
  Refresh();
  for (int i = 0; i < 3; ++i) FlashScreen(clWhite, 50);
}

void TForm1::BlinkMonster() {
  Image1->SetVisible(false);
  Refresh();
  Sleep(100);
  Image1->SetVisible(true);
  Refresh();
}

// The window moves show at once, without a repaint.
void TForm1::ShakeSideways() {
  SetLeft(Left() - 10);
  Sleep(100);
  SetLeft(Left() + 10);
}

void TForm1::ShakeVertical(DWORD wait) {
  SetTop(Top() + 10);
  Sleep(100);
  SetTop(Top() - 10);
  Sleep(wait);
}

void TForm1::UpdateHPLabel() {
  HP->SetCaption(Sjis(" あなたのHP：") + IntToStr(PlayerHP) + Sjis(" "));
}

DWORD TForm1::TickDraw() { return GetTickCount(); }
