// Battle turns on the virtual clock, with the tick counter's readings scripted draw by draw.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "battle/letter_sender.h"
#include "extras/hp_messages.h"
#include "platform/win32/kernel.h"
#include "tests/rig/game_fixture.h"

using rig::EventKind;
using rig::FrameCause;
using ::testing::ElementsAre;

namespace {

constexpr const char* kMonster = "イーエックスプローラー";

class BattleTest : public GameTest {
 protected:
  void SetUp() override {
    Summon(5);
    rig.ClearRecords();
    start = rig.Now();
    first_point = rig.ProcessMessagesCount() + 1;
  }
  // One turn of the command on `button`, the tick counter reading `ticks` at its draws.
  void Turn(TButton* button, std::vector<DWORD> ticks) {
    rig.ScriptTicks(std::move(ticks));
    ASSERT_TRUE(rig.Click(*button));
  }
  // Panel1's colours at the repaints before the monster's attack, black ones left out.
  std::vector<TColor> FlashColours() const {
    std::vector<TColor> colours;
    for (const auto& frame : rig.Frames()) {
      if (frame.cause == FrameCause::kProcessMessages) break;
      if (frame.cause == FrameCause::kRepaint && frame["Panel1"].color != clBlack) {
        colours.push_back(frame["Panel1"].color);
      }
    }
    return colours;
  }
  int BlinksBeforeTheMonster() const {
    int blinks = 0;
    for (const auto& frame : rig.Frames()) {
      if (frame.cause == FrameCause::kProcessMessages) break;
      if (!frame["Image1"].showing) ++blinks;
    }
    return blinks;
  }
  struct Lines {
    std::string mes1, mes2, mes3;
    int monster_hp = 0;
  };
  // The lines and the monster's hit points at the first message-processing point, when the
  // player's action is over and the monster has not struck yet.
  void WatchPlayersPart(Lines& lines) {
    rig.AtProcessMessages(first_point, [&] {
      lines = {Text(form->Mes1), Text(form->Mes2), Text(form->Mes3), form->MonsterHP};
    });
  }
  DWORD start = 0;
  int first_point = 0;
};

struct FightCase {
  const char* name;
  int player_hp;
  std::vector<DWORD> ticks;  // the player's draws, then the monster's two
  int damage;
  const char* mes1;
  std::string mes2;
  std::string mes3;
  std::vector<TColor> flashes;
  int blinks;
};

class FightTest : public BattleTest, public ::testing::WithParamInterface<FightCase> {};

TEST_P(FightTest, DrawsDecideTheBlow) {
  const FightCase& c = GetParam();
  form->PlayerHP = c.player_hp;
  form->MonsterHP = 100;
  Lines lines;
  WatchPlayersPart(lines);
  Turn(form->Button1, c.ticks);
  EXPECT_EQ(lines.monster_hp, 100 - c.damage);
  EXPECT_EQ(lines.mes1, c.mes1);
  EXPECT_EQ(lines.mes2, c.mes2);
  EXPECT_EQ(lines.mes3, c.mes3);
  EXPECT_EQ(FlashColours(), c.flashes);
  EXPECT_EQ(BlinksBeforeTheMonster(), c.blinks);
}

std::string Blow(int damage) {
  return std::string(kMonster) + "に " + std::to_string(damage) + " のダメージをあたえた！";
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FightTest,
    ::testing::Values(
        // At 1 HP: 8 AND 7 is 0, so 0 / 2 + 16; no second draw, never a miss.
        FightCase{"limit_break_low",
                  1,
                  {8, 3, 1},
                  16,
                  "あなたはキレました！",
                  Blow(16),
                  "",
                  {clYellow, clPurple, clPurple, clPurple},
                  2},
        FightCase{"limit_break_high",
                  1,
                  {7, 3, 1},
                  19,
                  "あなたはキレました！",
                  Blow(19),
                  "",
                  {clYellow, clPurple, clPurple, clPurple},
                  2},
        // 16 AND 7 is 0 and 16 mod 9 is 7: a miss.
        FightCase{"miss",
                  50,
                  {16, 16, 3, 1},
                  0,
                  "あなたのこうげき！",
                  std::string("ミス！ ") + kMonster + "はダメージをうけない。",
                  "",
                  {clYellow},
                  0},
        // 72 AND 7 is 0 and 72 mod 9 is 0: a critical hit for 10, the blow line below.
        FightCase{"critical",
                  50,
                  {72, 72, 3, 1},
                  10,
                  "あなたのこうげき！",
                  "かいしんのいちげき！！",
                  Blow(10),
                  {clYellow, clLime, clLime, clLime},
                  2},
        FightCase{"critical_top",
                  50,
                  {7, 9, 3, 1},
                  17,
                  "あなたのこうげき！",
                  "かいしんのいちげき！！",
                  Blow(17),
                  {clYellow, clLime, clLime, clLime},
                  2},
        FightCase{
            "plain_hit", 50, {1, 10, 3, 1}, 1, "あなたのこうげき！", Blow(1), "", {clYellow}, 2},
        FightCase{"plain_hit_top",
                  50,
                  {0xFFFFFFFFu, 1, 3, 1},
                  7,
                  "あなたのこうげき！",
                  Blow(7),
                  "",
                  {clYellow},
                  2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BattleTest, PlainHitAndANormalBlowTakeExactly2700Milliseconds) {
  Turn(form->Button1, {1, 10, 3, 1});
  EXPECT_EQ(rig.Now() - start, 2700u);
  EXPECT_EQ(rig.TotalSleep(), 2700u);
  EXPECT_EQ(form->MonsterHP, 49);
  EXPECT_EQ(form->PlayerHP, 46);
  const rig::Frame& end = rig.LastFrame();
  EXPECT_EQ(end["Mes1"].caption, "どうしますか？");
  EXPECT_EQ(end["Mes2"].caption, "");
  EXPECT_EQ(end["HP"].caption, " あなたのHP：46 ");
  for (const char* button : {"Button1", "Button2", "Button3", "Button4"}) {
    EXPECT_TRUE(end[button].enabled) << button;
  }
  EXPECT_TRUE(rig.DropsAccepted());
}

TEST_F(BattleTest, TurnLocksDropsAndTheFourButtonsInOrderFirst) {
  Turn(form->Button2, {3, 1});
  auto drops = rig.EventsOf(EventKind::kDropsAccepted);
  ASSERT_EQ(drops.size(), 2u);
  EXPECT_EQ(drops[0].value, 0);
  EXPECT_EQ(drops[0].time, start);
  EXPECT_EQ(drops[1].value, 1);
  EXPECT_EQ(drops[1].time, rig.Now());
  EXPECT_FALSE(rig.Frames().front()["Button1"].enabled);
  EXPECT_FALSE(rig.Frames().front()["Button4"].enabled);
}

struct JokeCase {
  TButton* TForm1::*button;
  const char* mes1;
  const char* mes2;
};

class JokeCommandTest : public BattleTest, public ::testing::WithParamInterface<JokeCase> {};

TEST_P(JokeCommandTest, AlwaysFailsAndCostsAMonsterAttack) {
  const JokeCase& c = GetParam();
  Lines lines;
  WatchPlayersPart(lines);
  Turn(form->*c.button, {3, 1});
  EXPECT_EQ(lines.mes1, c.mes1);
  EXPECT_EQ(lines.mes2, c.mes2);
  EXPECT_EQ(form->MonsterHP, 50);
  EXPECT_EQ(form->PlayerHP, 46);
  // 300 + 700 + 300, the shakes' 100 + 200 + 300, and 500.
  EXPECT_EQ(rig.TotalSleep(), 2400u);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, JokeCommandTest,
    ::testing::Values(
        JokeCase{&TForm1::Button2, "あなたは逃げ出した！", "しかし、逃げられなかった。"},
        JokeCase{&TForm1::Button3, "あなたは魔法を使おうとした！", "しかし、何も覚えていない！！"},
        JokeCase{&TForm1::Button4, "あなたは道具を使おうとした！",
                 "しかし、何も持っていない！！"}));

TEST_F(BattleTest, HeavyBlowOf11AfterAPause) {
  std::string mes2, mes3;
  rig.AtProcessMessages(first_point + 1, [&] {
    mes2 = Text(form->Mes2);
    mes3 = Text(form->Mes3);
  });
  Turn(form->Button2, {77, 77});
  EXPECT_EQ(mes2, "つうこんのいちげき！！");
  EXPECT_EQ(mes3, "あなたは 11 のダメージをうけた！");
  EXPECT_EQ(form->PlayerHP, 39);
  EXPECT_EQ(rig.TotalSleep(), 2700u);
}

TEST_F(BattleTest, MonsterBlowShakesTheWindowAndUpdatesTheLabelBetweenTheShakes) {
  int left = form->Left();
  int top = form->Top();
  Turn(form->Button3, {3, 1});
  std::vector<std::string> moves;
  for (const auto& event : rig.EventsOf(EventKind::kFormBounds)) moves.push_back(event.text);
  auto at = [](int l, int t) { return std::to_string(l) + "," + std::to_string(t) + ",462,301"; };
  EXPECT_THAT(moves, ElementsAre(at(left - 10, top), at(left, top), at(left, top + 10),
                                 at(left, top), at(left, top + 10), at(left, top)));
  // The label shows the new hit points at the repaint between the two vertical shakes.
  auto bounds = rig.EventsOf(EventKind::kFormBounds);
  bool seen = false;
  for (const auto& frame : rig.Frames()) {
    if (frame.cause == FrameCause::kRepaint && frame.time == bounds[4].time) {
      seen = frame["HP"].caption == " あなたのHP：46 ";
    }
  }
  EXPECT_TRUE(seen);
}

TEST_F(BattleTest, BlowIsClampedAtZeroAndTheDefeatFollows) {
  form->PlayerHP = 10;
  Turn(form->Button2, {6, 0});  // 6 mod 7 + 1 = 7, and 0 mod 11 = 0: 17
  EXPECT_EQ(form->PlayerHP, 0);
  EXPECT_EQ(Text(form->HP), " あなたのHP：0 ");
  EXPECT_TRUE(form->Button6->Visible());
  EXPECT_EQ(form->Panel1->Color(), clRed);
}

TEST_F(BattleTest, WinningBlowBelowZeroGoesStraightToTheVictory) {
  form->MonsterHP = 5;
  Turn(form->Button1, {7, 0});  // 7 AND 7 = 7, 0 mod 9 = 0: critical for 17
  EXPECT_EQ(form->MonsterHP, -12);
  EXPECT_EQ(rig.ProcessMessagesCount(), first_point - 1);  // no monster attack
  for (const auto& frame : rig.Frames()) {
    EXPECT_EQ(frame["Mes1"].caption.find("のこうげき！！"), std::string::npos);
  }
  EXPECT_TRUE(form->Button5->Visible());
}

struct LabelCase {
  int hp_before;
  int hp_after;
  TColor colour;
  const char* button1;
};

class LowHPTest : public BattleTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(LowHPTest, LabelWarnsAtTheEndOfTheTurn) {
  const LabelCase& c = GetParam();
  form->PlayerHP = c.hp_before;
  Turn(form->Button2, {0, 1});  // a blow of 1
  EXPECT_EQ(form->PlayerHP, c.hp_after);
  EXPECT_EQ(form->HP->Color(), c.colour);
  EXPECT_EQ(Text(form->Button1), c.button1);
}

INSTANTIATE_TEST_SUITE_P(Ends, LowHPTest,
                         ::testing::Values(LabelCase{11, 10, clGray, "たたかう(&A)"},
                                           LabelCase{10, 9, clYellow, "たたかう(&A)"},
                                           LabelCase{3, 2, clYellow, "たたかう(&A)"},
                                           LabelCase{2, 1, clPurple, "リミット(&L)"}));

TEST_F(BattleTest, YellowShowsOnlyWhenTheHandlerReturns) {
  form->PlayerHP = 10;
  Turn(form->Button2, {0, 1});
  const auto& frames = rig.Frames();
  for (std::size_t i = 0; i + 1 < frames.size(); ++i) EXPECT_EQ(frames[i]["HP"].color, clGray);
  EXPECT_EQ(frames.back()["HP"].color, clYellow);
  EXPECT_EQ(frames.back().cause, FrameCause::kIdle);
}

TEST_F(BattleTest, LimitBreakStandsOnTheThirdLineForOneAndAHalfSeconds) {
  form->PlayerHP = 2;
  Turn(form->Button2, {0, 1});
  DWORD shown = 0;
  for (const auto& frame : rig.Frames()) {
    if (frame["Mes3"].caption == "LIMIT BREAK!") {
      shown = frame.time;
      EXPECT_EQ(frame["HP"].color, clPurple);
      break;
    }
  }
  ASSERT_NE(shown, 0u);
  EXPECT_EQ(rig.Now() - shown, 1500u);
  EXPECT_EQ(rig.LastFrame()["Mes3"].caption, "");
  // 2400 for the turn, and the announcement's 500 + 1000 on top.
  EXPECT_EQ(rig.TotalSleep(), 3900u);
}

TEST_F(BattleTest, NextFightAfterTheAnnouncementIsTheLimitBreak) {
  form->PlayerHP = 2;
  Turn(form->Button2, {0, 1});
  form->MonsterHP = 16;
  Turn(form->Button1, {0});
  EXPECT_EQ(form->MonsterHP, 0);
  EXPECT_TRUE(form->Button5->Visible());
}

TEST_F(BattleTest, DoubleClickAtEitherMessagePointRunsWithTheButtonsDisabled) {
  std::vector<bool> buttons_enabled;
  std::vector<bool> command_refused;
  for (int point : {first_point, first_point + 1}) {
    rig.AtProcessMessages(point, [&] {
      EXPECT_TRUE(rig.DoubleClick(*form->HP));
      buttons_enabled.push_back(form->Button1->Enabled() || form->Button2->Enabled() ||
                                form->Button3->Enabled() || form->Button4->Enabled());
      command_refused.push_back(!rig.Click(*form->Button1));
    });
  }
  Turn(form->Button2, {3, 1});
  EXPECT_THAT(buttons_enabled, ElementsAre(false, false));
  EXPECT_THAT(command_refused, ElementsAre(true, true));
  EXPECT_EQ(HPClickCount, 2u);
  ASSERT_EQ(rig.Boxes().size(), 1u);  // the second double-click's joke
  EXPECT_EQ(rig.Boxes()[0].text, "いくらたたいても、回復しません。");
  EXPECT_EQ(form->PlayerHP, 46);
}

TEST_F(BattleTest, TurnProcessesMessagesAtExactlyTwoPoints) {
  Turn(form->Button1, {1, 10, 3, 1});
  std::vector<DWORD> times;
  for (const auto& event : rig.EventsOf(EventKind::kProcessMessages))
    times.push_back(event.time - start);
  // After the 700 ms pause, and after the last shake.
  EXPECT_THAT(times, ElementsAre(1300u, 2200u));
}

// --- Victory ---

TEST_F(BattleTest, VictoryWaitsTwoSecondsAndAFifthThenBringsNextBack) {
  form->MonsterHP = 1;
  Turn(form->Button1, {1, 10});
  // 300 for the yellow flash, 300 for the blinks, then 200 + 2000.
  EXPECT_EQ(rig.Now() - start, 2800u);
  EXPECT_EQ(form->Stage, StageBattle);
  const rig::Frame& end = rig.LastFrame();
  EXPECT_EQ(end["Mes1"].caption, "スクリーン から感謝状が届いています。");
  EXPECT_EQ(end["Mes2"].caption, "");
  EXPECT_EQ(end["Mes3"].caption, "");
  EXPECT_TRUE(end["Button5"].showing);
  EXPECT_TRUE(end["Button5"].enabled);
  EXPECT_EQ(end["Button5"].caption, "次へ(&N)");
  for (const char* hidden : {"Button1", "Button2", "Button3", "Button4", "Image1"}) {
    EXPECT_FALSE(end[hidden].showing) << hidden;
  }
  EXPECT_TRUE(end["HP"].showing);
  EXPECT_FALSE(rig.DropsAccepted());
  EXPECT_FALSE(form->AllowClose);
  EXPECT_THAT(rig.MciCommands(), ElementsAre("stop ZORSAVM1.MID", "close ZORSAVM1.MID",
                                             "open ZORSAVM2.MID", "play ZORSAVM2.MID"));
  auto mci = rig.EventsOf(EventKind::kMci);
  EXPECT_EQ(mci[1].time - start, 800u);  // the theme is closed before the two-second pause
  EXPECT_EQ(mci[2].time - start, 2800u);
}

TEST_F(BattleTest, VictoryShowsTheFallenMonsterBeforeThePause) {
  form->MonsterHP = 1;
  Turn(form->Button1, {1, 10});
  bool seen = false;
  for (const auto& frame : rig.Frames()) {
    if (frame.time - start == 800u && frame.cause == FrameCause::kRepaint) {
      seen = frame["Mes3"].caption == std::string(kMonster) + "をたおした。" &&
             !frame["Image1"].showing;
    }
  }
  EXPECT_TRUE(seen);
}

TEST_F(BattleTest, VictoryAfterWardsTakesNoDropAndNoCloseUntilNext) {
  form->MonsterHP = 1;
  Turn(form->Button1, {1, 10});
  EXPECT_FALSE(rig.DropFiles({Sjis("/tmp/a.scr")}));
  rig.RequestClose();
  EXPECT_FALSE(rig.Terminated());
  ASSERT_TRUE(rig.Click(*form->Button5));
  EXPECT_EQ(form->Stage, StageThanks);
}

struct SenderCase {
  DWORD platform;
  DWORD major;
  DWORD minor;
  const char* name;
};

class LetterSenderTest : public ::testing::TestWithParam<SenderCase> {};

TEST_P(LetterSenderTest, NamedByPlatformAndVersion) {
  OSVERSIONINFOA version{};
  version.dwPlatformId = GetParam().platform;
  version.dwMajorVersion = GetParam().major;
  version.dwMinorVersion = GetParam().minor;
  EXPECT_EQ(ToUtf8(LetterSenderName(version)), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, LetterSenderTest,
    ::testing::Values(SenderCase{0, 3, 10, "Windows 3.1"}, SenderCase{0, 9, 99, "Windows 3.1"},
                      SenderCase{1, 4, 0, "Windows 95"}, SenderCase{1, 4, 9, "Windows 95"},
                      SenderCase{1, 4, 10, "Windows 98"}, SenderCase{1, 4, 19, "Windows 98"},
                      SenderCase{1, 4, 20, "Windows"}, SenderCase{1, 4, 90, "Windows"},
                      SenderCase{1, 3, 200, "Windows"}, SenderCase{2, 4, 0, "Windows NT"},
                      SenderCase{2, 10, 0, "Windows NT"}, SenderCase{3, 4, 10, "スクリーン"},
                      SenderCase{VER_PLATFORM_LINUX, 6, 1, "スクリーン"}));

TEST_F(BattleTest, LetterComesFromTheSystemTheVersionQueryNames) {
  OSVERSIONINFOA version{};
  version.dwPlatformId = 1;
  version.dwMajorVersion = 4;
  version.dwMinorVersion = 10;
  SetVersionForTesting(version);
  form->MonsterHP = 1;
  Turn(form->Button1, {1, 10});
  EXPECT_EQ(Text(form->Mes1), "Windows 98 から感謝状が届いています。");
}

// --- Defeat ---

class DefeatTest : public BattleTest {
 protected:
  void Lose() {
    form->PlayerHP = 1;
    Turn(form->Button2, {3, 1});
  }
};

TEST_F(DefeatTest, WindowCoversTheScreenOnePixelPastEachEdge) {
  rig.SetScreenSize(640, 480);
  Lose();
  EXPECT_EQ(form->Left(), -1);
  EXPECT_EQ(form->Top(), -1);
  EXPECT_EQ(form->Width(), 642);
  EXPECT_EQ(form->Height(), 482);
  EXPECT_EQ(form->Panel1->Width(), 642);
  EXPECT_EQ(form->Panel1->Height(), 482);
  const rig::Frame& end = rig.LastFrame();
  EXPECT_EQ(end["Panel1"].color, clRed);
  EXPECT_TRUE(end["Button6"].showing);
  for (const char* hidden : {"Image1", "HP", "Panel2", "Mes1", "Button1", "Button4", "Button5"}) {
    EXPECT_FALSE(end[hidden].showing) << hidden;
  }
  EXPECT_EQ(form->HP->Color(), clYellow);
  EXPECT_TRUE(rig.DropsAccepted());
  EXPECT_FALSE(form->AllowClose);
  EXPECT_EQ(form->Stage, StageBattle);
}

TEST_F(DefeatTest, ScreenTurnsRedWithTheLinesThenTheMusicStops) {
  Lose();
  std::vector<std::string> seen;
  for (const auto& frame : rig.Frames()) {
    if (frame.cause == FrameCause::kRepaint && frame["Panel1"].color == clRed &&
        frame["Panel2"].showing) {
      seen.push_back(frame["Mes1"].caption + "|" + frame["Mes3"].caption);
    }
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "イーエックスプローラーのこうげき！！|あなたはやられてしまった。");
  EXPECT_EQ(seen[1], "はっはっは。このスクリーンはのっとった～～！！|");
  EXPECT_THAT(rig.MciCommands(), ElementsAre("stop ZORSAVM1.MID", "close ZORSAVM1.MID"));
}

TEST_F(DefeatTest, UndisturbedSlideTakes38StepsAndRestsAtTop8) {
  Lose();
  EXPECT_EQ(form->Button6->Top(), 8);
  std::vector<int> tops;
  for (const auto& frame : rig.Frames()) {
    if (frame.cause == FrameCause::kRepaint && frame["Button6"].showing) {
      tops.push_back(frame["Button6"].top);
    }
  }
  ASSERT_EQ(tops.size(), 37u);  // steps 1 to 37 repaint; the 38th ends the slide
  EXPECT_EQ(tops.front(), -29);
  EXPECT_EQ(tops.back(), 7);
  // The turn up to the blow (2400 less the hand-back's 500), 6 s of pauses, 37 steps of 100.
  EXPECT_EQ(rig.TotalSleep(), 1900u + 6000u + 3700u);
}

TEST_F(DefeatTest, SlideReadsTheButtonsTopAfreshAtEveryStep) {
  int slide_points = 0;
  int steps_after = -1;
  // The turn's two points, the defeat's own, then the slide's: the tenth slide step.
  rig.AtProcessMessages(first_point + 3 + 10, [&] {
    form->Button6->SetTop(8);
    slide_points = rig.ProcessMessagesCount();
  });
  Lose();
  steps_after = rig.ProcessMessagesCount() - slide_points;
  EXPECT_EQ(form->Button6->Top(), 9);
  EXPECT_EQ(steps_after, 0);
}

TEST_F(DefeatTest, NextNeverComesBackAndClosesAreRefused) {
  Lose();
  EXPECT_FALSE(rig.Click(*form->Button5));
  rig.RequestClose();
  EXPECT_FALSE(rig.Terminated());
  EXPECT_EQ(form->Stage, StageBattle);
}

}  // namespace
