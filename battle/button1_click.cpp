// One battle turn per click on a command button: the lock, the player's command, the
// monster's blow, and the hand-back. Messages get through at two points only, after the
// pause before the monster's attack and after its blow.
#include "app/form1.h"
#include "battle/lines.h"
#include "platform/win32/kernel.h"
#include "platform/win32/shellapi.h"

namespace {

constexpr int kFight = 1;

struct FailedCommand {
  int tag;
  const char* tried;
  const char* failed;
};

// Run, Magic and Item: each one is tried, and always fails.
constexpr FailedCommand kFailedCommands[] = {
    {2, "あなたは逃げ出した！", "しかし、逃げられなかった。"},
    {3, "あなたは魔法を使おうとした！", "しかし、何も覚えていない！！"},
    {4, "あなたは道具を使おうとした！", "しかし、何も持っていない！！"},
};

}  // namespace

void TForm1::Button1Click(TObject* Sender) {
  auto* command = dynamic_cast<TComponent*>(Sender);
  int tag = command != nullptr ? command->Tag() : 0;
  LockCommands();
  if (tag == kFight) {
    PlayerFights();
    if (MonsterHP < 1) {
      Victory();
      return;
    }
  } else {
    PlayerFails(tag);
  }
  MonsterAttacks();
  if (PlayerHP < 1) {
    Defeat();
    return;
  }
  EndTurn();
}

// No drops and no second command while the turn runs.
void TForm1::LockCommands() {
  DragAcceptFiles(Handle(), FALSE);
  Button1->SetEnabled(false);
  Button2->SetEnabled(false);
  Button3->SetEnabled(false);
  Button4->SetEnabled(false);
  ClearLines23();
}

void TForm1::PlayerFights() {
  bool limit_break = PlayerHP == 1;
  ShowLine1(Sjis(limit_break ? "あなたはキレました！" : "あなたのこうげき！"));
  Refresh();
  FlashScreen(clYellow, 250);
  int damage = static_cast<int>(TickDraw() & 7u);
  if (limit_break) {
    damage = (damage >> 1) + 16;
    Refresh();
    for (int i = 0; i < 3; ++i) FlashScreen(clPurple, 50);
    ShowLine2(BlowLine(MonsterName, damage));
  } else if (TickDraw() % 9u == 0) {
    ShowLine2(Sjis("かいしんのいちげき！！"));
    Refresh();
    for (int i = 0; i < 3; ++i) FlashScreen(clLime, 50);
    damage += 10;
    ShowLine3(BlowLine(MonsterName, damage));
  } else if (damage > 0) {
    ShowLine2(BlowLine(MonsterName, damage));
  } else {
    ShowLine2(Sjis("ミス！ ") + MonsterName + Sjis("はダメージをうけない。"));
  }
  Refresh();
  if (damage == 0) {
    Sleep(300);
  } else {
    BlinkMonster();
    Sleep(100);
    BlinkMonster();
  }
  MonsterHP -= damage;
}

void TForm1::PlayerFails(int command) {
  for (const FailedCommand& failed : kFailedCommands) {
    if (failed.tag != command) continue;
    ShowLine1(Sjis(failed.tried));
    Pause(300);
    ShowLine2(Sjis(failed.failed));
  }
}

void TForm1::MonsterAttacks() {
  Pause(700);
  Application->ProcessMessages();
  ClearLines23();
  ShowLine1(MonsterName + Sjis("のこうげき！！"));
  Pause(300);
  int damage = static_cast<int>(TickDraw() % 7u) + 1;
  if (TickDraw() % 11u == 0) {
    ShowLine2(Sjis("つうこんのいちげき！！"));
    Pause(300);
    damage += 10;
    ShowLine3(HurtLine(damage));
  } else {
    ShowLine2(HurtLine(damage));
  }
  Refresh();
  PlayerHP -= damage;
  if (PlayerHP < 0) PlayerHP = 0;
  ShakeSideways();
  ShakeVertical(100);
  UpdateHPLabel();
  Refresh();
  ShakeVertical(200);
  Application->ProcessMessages();
}

// The player survived: warn at low hit points, then hand the controls back.
void TForm1::EndTurn() {
  if (PlayerHP == 1) {
    Sleep(500);
    HP->SetColor(clPurple);
    ShowLine3(Sjis("LIMIT BREAK!"));
    Button1->SetCaption(Sjis("リミット(&L)"));
    Pause(1000);
  } else if (PlayerHP < 10) {
    HP->SetColor(clYellow);
  }
  Sleep(500);
  Button1->SetEnabled(true);
  Button2->SetEnabled(true);
  Button3->SetEnabled(true);
  Button4->SetEnabled(true);
  ShowLine1(Sjis("どうしますか？"));
  ClearLines23();
  DragAcceptFiles(Handle(), TRUE);
}
