// A file dropped from the file manager joins the fight: one file per drop, each name only
// once, at most 100 in all, and only while the fight is still open. The file itself is never
// opened; only its name matters.
#include "app/form1.h"
#include "drop/dropped_files.h"
#include "drop/events.h"
#include "drop/extension.h"
#include "platform/win32/kernel.h"
#include "platform/win32/shellapi.h"
#include "platform/win32/user.h"

namespace {

constexpr UINT kNameBufferSize = 255;

void Refuse(HDROP drop, const char* text, UINT style) {
  Application->MessageBox(Sjis(text), Sjis("救助隊希望"), style);
  DragFinish(drop);
}

AnsiString FirstName(HDROP drop) {
  char buffer[kNameBufferSize] = {};
  DragQueryFileA(drop, 0, buffer, kNameBufferSize);
  return AnsiString::FromBytes(buffer);
}

int RaisedTo999(int hit_points, int raise) {
  int raised = hit_points + raise;
  return raised >= 1000 ? 999 : raised;
}

}  // namespace

void TForm1::WMDropFiles(TMessage Message) {
  auto drop = reinterpret_cast<HDROP>(Message.WParam);
  SetForegroundWindow(Handle());
  Application->ProcessMessages();
  if (Stage > StageBattle || Button6->Visible()) {
    return Refuse(drop, "来るのがちょっと遅かったです。", MB_ICONHAND);
  }
  if (DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, kNameBufferSize) >= 2) {
    return Refuse(drop, "一度に複数のファイルをドロップすることはできません。", MB_ICONEXCLAMATION);
  }
  if (DroppedCount >= kMaxDroppedFiles) {
    return Refuse(drop, "これ以上のファイルはドロップできません。", MB_ICONEXCLAMATION);
  }
  AnsiString name = FirstName(drop);
  if (AlreadyDropped(name)) {
    return Refuse(drop, "同じファイルはドロップできません。", MB_ICONEXCLAMATION);
  }
  RememberDropped(name);
  AnsiString extension = UpperExtension(name);
  Button1->SetEnabled(false);
  Button2->SetEnabled(false);
  Button3->SetEnabled(false);
  Button4->SetEnabled(false);
  ClearLines23();

  PlayDropEvent(DropEvents()[DropEventRow(extension) - 1], name);
  DragFinish(drop);
  Pause(2000);
  ShowLine1(Sjis("どうしますか？"));
  ClearLines23();
  Button1->SetEnabled(true);
  Button2->SetEnabled(true);
  Button3->SetEnabled(true);
  Button4->SetEnabled(true);
}

// The file's event on the three lines; only the executables and the screen savers change
// any state.
void TForm1::PlayDropEvent(const DropEvent& event, const AnsiString& name) {
  ShowLine1(event.speaker == DropEvent::Speaker::kMonster ? MonsterName : name);
  ShowLine2(Sjis(event.line2));
  if (event.middle == DropEvent::Middle::kWhiteFlashes) WhiteFlashes();
  if (event.middle == DropEvent::Middle::kPause) Pause(1000);
  if (event.line3 != nullptr) {
    ShowLine3((event.line3_names_monster ? MonsterName : AnsiString()) + Sjis(event.line3));
  }
  if (event.effect == DropEvent::Effect::kFeedMonster) MonsterHP = RaisedTo999(MonsterHP, 10);
  if (event.effect == DropEvent::Effect::kHealPlayer) {
    PlayerHP = RaisedTo999(PlayerHP, 10);
    UpdateHPLabel();
    HP->SetColor(clGray);
    Button1->SetCaption(Sjis("たたかう(&A)"));
  }
}
