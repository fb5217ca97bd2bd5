// Button5, "Next" and at last "Exit", walks the story: each press plays the branch of the
// current stage and moves on one stage.
#include "app/form1.h"
#include "music/themes.h"
#include "platform/win32/bitmaps.h"
#include "platform/win32/kernel.h"
#include "platform/win32/resources.h"
#include "platform/win32/shellapi.h"
#include "platform/win32/user.h"
#include "story/monsters.h"

namespace {

// The staff roll's credits. The roles are fixed; the names are this port's team.
constexpr const char* kCreditIdea = "Idea : ZOR-ScreenSaver Linux 移植チーム 企画班";
constexpr const char* kCreditProgram = "Program : ZOR-ScreenSaver Linux 移植チーム 開発班";
constexpr const char* kCreditMusic = "Music : ZOR-ScreenSaver Linux 移植チーム 作曲班";
constexpr const char* kCreditDocument = "Document : ZOR-ScreenSaver Linux 移植チーム 文書班";
constexpr const char* kClosingCredit =
    "ZOR-ScreenSaver for Linux  (C) 2026 ZOR-ScreenSaver Linux 移植チーム";

}  // namespace

void TForm1::Button5Click(TObject*) {
  switch (Stage) {
    case StageTitle: {
      // The summon: from here on the window may not be closed.
      AllowClose = false;
      ShowWindow(Application->Handle(), SW_HIDE);
      MonsterNo = static_cast<int>(TickDraw() % 5u) + 1;
      MonsterName = MonsterNameOf(MonsterNo);
      Image1->Picture()->Bitmap()->SetHandle(
          LoadBitmapA(HInstance, MonsterBitmapName(MonsterNo).c_str()));
      StartBattleTheme(Handle());
      Image1->SetVisible(true);
      ShowLine1(Sjis("「ぐはははは、このスクリーンはいただいた～」"));
      ShowLine2(MonsterName + Sjis("があらわれた。"));
      ShowLine3(Sjis("どうしますか？"));
      HP->SetVisible(true);
      Button1->SetVisible(true);
      Button2->SetVisible(true);
      Button3->SetVisible(true);
      Button4->SetVisible(true);
      Button5->SetVisible(false);
      DragAcceptFiles(Handle(), TRUE);
      Stage = StageBattle;
      break;
    }
    case StageBattle:
      // Only a victory shows Button5 during the battle: the thanks.
      ShowLine1(Sjis("邪悪なるものを倒していただき、ありがとうございました。"));
      ShowLine2(Sjis("これで、スクリーンは救われました。"));
      ShowLine3(Sjis("あなたこそ、本当のスクリーンを守る勇者。"));
      Stage = StageThanks;
      DragAcceptFiles(Handle(), TRUE);
      Sleep(500);
      break;
    case StageThanks:
      // The punch line.
      ShowLine1(Sjis("スクリーンセーバーです。"));
      ClearLines23();
      Stage = StagePunchline;
      Sleep(500);
      break;
    case StagePunchline:
      // The staff roll, 23 seconds, with Button5 disabled throughout.
      ShowLine1(AnsiString());
      Button5->SetEnabled(false);
      Pause(1500);
      ShowLine1(Sjis("ZOR-ScreenSaver STAFF"));
      Pause(1500);
      Application->ProcessMessages();
      ShowLine2(Sjis(kCreditIdea));
      Pause(3000);
      Application->ProcessMessages();
      ShowLine2(Sjis(kCreditProgram));
      Pause(3000);
      Application->ProcessMessages();
      ShowLine2(Sjis(kCreditMusic));
      Pause(3000);
      Application->ProcessMessages();
      ShowLine2(Sjis(kCreditDocument));
      Pause(3000);
      ShowLine1(AnsiString());
      ShowLine2(AnsiString());
      Pause(3000);
      ShowLine1(Sjis(kClosingCredit));
      ShowLine3(Sjis("THE END"));
      Refresh();
      Application->ProcessMessages();
      Sleep(5000);
      Button5->SetCaption(Sjis("終了(&X)"));
      Button5->SetEnabled(true);
      Stage = StageEnding;
      break;
    case StageEnding:
      // Exit.
      StopEndingTheme();
      AllowClose = true;
      Close();
      break;
    default:
      break;
  }
}
