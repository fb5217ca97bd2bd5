// TForm1, the game's one window. Its handlers live in the folders of their subsystems:
// story/ (Button5Click), battle/ (Button1Click, victory, defeat), drop/ (WMDropFiles),
// music/ (MMMciNotify), extras/ (Button6Click, HPDblClick); the screen effects in app/.
#pragma once

#include "drop/events.h"
#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"
#include "platform/win32/ansi_string.h"
#include "platform/win32/types.h"

// The story stages that Button5 walks through.
constexpr int StageTitle = 0;
constexpr int StageBattle = 1;
constexpr int StageThanks = 2;
constexpr int StagePunchline = 3;
constexpr int StageEnding = 4;

class TForm1 : public TForm {
 public:
  TForm1();
  ~TForm1() override;

  // The controls, as the form description creates them.
  TPanel* Panel1;
  TButton* Button1;
  TButton* Button2;
  TButton* Button3;
  TButton* Button4;
  TPanel* Panel2;
  TLabel* Mes1;
  TLabel* Mes2;
  TLabel* Mes3;
  TButton* Button5;
  TImage* Image1;
  TLabel* HP;
  TButton* Button6;

  // Published handlers, bound by name in the form description.
  void FormCreate(TObject* Sender);
  void Button5Click(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void Button1Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  void HPDblClick(TObject* Sender);

  // Message handlers, reached through Dispatch.
  void WMDropFiles(TMessage Message);
  void MMMciNotify(TMessage& Message);

  // The game state.
  bool AllowClose = false;
  int Stage = 0;
  int PlayerHP = 0;
  int MonsterHP = 0;
  int MonsterNo = 0;
  AnsiString MonsterName;

  void Dispatch(TMessage& Message) override;
  TNotifyEvent FindNotifyMethod(std::string_view name) override;
  TCloseQueryEvent FindCloseQueryMethod(std::string_view name) override;

  // The screen effects: each changes controls, repaints, sleeps and returns.
  void ShowLine1(const AnsiString& text);
  void ShowLine2(const AnsiString& text);
  void ShowLine3(const AnsiString& text);
  void ClearLines23();
  void Pause(DWORD milliseconds);
  void FlashScreen(TColor colour, DWORD wait);
  void WhiteFlashes();
  void BlinkMonster();
  void ShakeSideways();
  void ShakeVertical(DWORD wait);
  void UpdateHPLabel();
  DWORD TickDraw();

 private:
  // The battle's two endings, run inside Button1Click.
  void Victory();
  void Defeat();
  // The parts of one battle turn.
  void LockCommands();
  void PlayerFights();
  void PlayerFails(int command);
  void MonsterAttacks();
  void EndTurn();
  // A dropped file's event.
  void PlayDropEvent(const DropEvent& event, const AnsiString& name);
};

extern TForm1* Form1;
