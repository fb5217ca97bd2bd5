// The main window's shell: the close rule, the message routing and the screen effects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/vcl/exception.h"
#include "platform/win32/kernel.h"
#include "platform/win32/shellapi.h"
#include "tests/rig/game_fixture.h"

using rig::EventKind;
using rig::FrameCause;
using ::testing::ElementsAre;

namespace {

using ShellTest = GameTest;

TEST_F(ShellTest, CloseRequestOnTheTitleScreenEndsTheProgram) {
  rig.RequestClose();
  EXPECT_TRUE(rig.Terminated());
  EXPECT_TRUE(rig.MciCommands().empty());
}

TEST_F(ShellTest, CloseRequestsAfterTheSummonAreRefusedSilently) {
  Summon();
  rig.RequestClose();
  rig.RequestClose();
  EXPECT_FALSE(rig.Terminated());
  EXPECT_TRUE(rig.Boxes().empty());
  EXPECT_TRUE(rig.LastFrame()["Button1"].showing);
}

TEST_F(ShellTest, ShutdownQueryAsksTheSameRule) {
  TMessage query{WM_QUERYENDSESSION, 0, 0, 0};
  form->Perform(query);
  EXPECT_EQ(query.Result, TRUE);
  Summon();
  TMessage refused{WM_QUERYENDSESSION, 0, 0, 0};
  form->Perform(refused);
  EXPECT_EQ(refused.Result, FALSE);
  EXPECT_FALSE(rig.Terminated());
}

// Only 0x0233 reaches the drop handler (which releases the drop) and only 0x03B9 the music
// handler (which restarts the battle theme on code 1).
struct RoutingCase {
  UINT message;
  bool reaches_drop_handler;
  bool reaches_music_handler;
};

class RoutingTest : public ShellTest, public ::testing::WithParamInterface<RoutingCase> {};

TEST_P(RoutingTest, DispatchLooksOnlyAtTheMessageNumber) {
  const RoutingCase& c = GetParam();
  HDROP drop = MakeDropHandle({Sjis("/tmp/a.txt")});
  int live_before = LiveDropHandles();
  WPARAM wparam = c.message == MM_MCINOTIFY || !c.reaches_drop_handler
                      ? (c.message == WM_DROPFILES ? reinterpret_cast<WPARAM>(drop) : 1)
                      : reinterpret_cast<WPARAM>(drop);
  if (c.message == WM_DROPFILES) wparam = reinterpret_cast<WPARAM>(drop);
  rig.ClearRecords();
  TMessage message{c.message, wparam, 0, 0};
  form->Dispatch(message);
  EXPECT_EQ(LiveDropHandles() == live_before - 1, c.reaches_drop_handler);
  EXPECT_EQ(!rig.MciCommands().empty(), c.reaches_music_handler);
  if (!c.reaches_drop_handler) DragFinish(drop);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RoutingTest,
    ::testing::Values(RoutingCase{0x0233, true, false}, RoutingCase{0x03B9, false, true},
                      RoutingCase{0x0232, false, false}, RoutingCase{0x0234, false, false},
                      RoutingCase{0x03B8, false, false}, RoutingCase{0x03BA, false, false},
                      RoutingCase{0x0000, false, false}));

TEST_F(ShellTest, OtherMessagesReachThePlatformsOwnDispatch) {
  TMessage close{WM_CLOSE, 0, 0, 0};
  form->Dispatch(close);
  EXPECT_TRUE(rig.Terminated());
}

TEST_F(ShellTest, ExceptionInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
  form->Button5->OnClick = [](TObject*) { throw Exception(Sjis("こわれました")); };
  EXPECT_TRUE(rig.Click(*form->Button5));
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "こわれました.");
  EXPECT_EQ(rig.Boxes()[0].caption, "ZOR-ScreenSaver");
  EXPECT_EQ(rig.Boxes()[0].style, MB_OK | MB_ICONHAND);
  EXPECT_FALSE(rig.Terminated());
  EXPECT_TRUE(rig.Click(*form->Button5));
  EXPECT_EQ(rig.Boxes().size(), 2u);
}

TEST_F(ShellTest, InitialHPTextHasABlankBeforeTheNumber) {
  EXPECT_EQ(Text(form->HP), " あなたのHP： 50 ");
}

struct HPTextCase {
  int hp;
  const char* text;
};

class HPTextTest : public ShellTest, public ::testing::WithParamInterface<HPTextCase> {};

TEST_P(HPTextTest, UpdateHPLabelPutsTheNumberRightAfterTheColon) {
  form->PlayerHP = GetParam().hp;
  TColor before = form->HP->Color();
  form->UpdateHPLabel();
  EXPECT_EQ(Text(form->HP), GetParam().text);
  EXPECT_EQ(form->HP->Color(), before);
}

INSTANTIATE_TEST_SUITE_P(Values, HPTextTest,
                         ::testing::Values(HPTextCase{0, " あなたのHP：0 "},
                                           HPTextCase{1, " あなたのHP：1 "},
                                           HPTextCase{50, " あなたのHP：50 "},
                                           HPTextCase{999, " あなたのHP：999 "}));

// --- The screen effects, as the frames show them ---

class EffectsTest : public ShellTest {
 protected:
  void SetUp() override {
    Summon();
    rig.ClearRecords();
    start = rig.Now();
  }
  // The frames painted by repaints at once, as (time since start, Panel1's colour).
  std::vector<std::pair<DWORD, TColor>> PanelColours() const {
    std::vector<std::pair<DWORD, TColor>> colours;
    for (const auto& frame : rig.Frames()) {
      if (frame.cause == FrameCause::kRepaint) {
        colours.emplace_back(frame.time - start, frame["Panel1"].color);
      }
    }
    return colours;
  }
  DWORD start = 0;
};

TEST_F(EffectsTest, FlashScreenShowsTheColourFor50OfItsMilliseconds) {
  form->FlashScreen(clYellow, 250);
  using P = std::pair<DWORD, TColor>;
  EXPECT_THAT(PanelColours(), ElementsAre(P{0, clYellow}, P{50, clBlack}));
  EXPECT_EQ(rig.Now() - start, 300u);
  EXPECT_EQ(form->Panel1->Color(), clBlack);
}

TEST_F(EffectsTest, WhiteFlashesShowWhiteThreeTimesAndEndBlack) {
  form->WhiteFlashes();
  using P = std::pair<DWORD, TColor>;
  EXPECT_THAT(PanelColours(),
              ElementsAre(P{0, clBlack}, P{0, clWhite}, P{50, clBlack}, P{100, clWhite},
                          P{150, clBlack}, P{200, clWhite}, P{250, clBlack}));
  EXPECT_EQ(rig.Now() - start, 300u);
  EXPECT_EQ(form->Panel1->Color(), clBlack);
}

TEST_F(EffectsTest, TwoBlinksHideTheMonsterTwiceFor100Each) {
  form->BlinkMonster();
  Sleep(100);
  form->BlinkMonster();
  std::vector<std::pair<DWORD, bool>> shown;
  for (const auto& frame : rig.Frames())
    shown.emplace_back(frame.time - start, frame["Image1"].showing);
  using P = std::pair<DWORD, bool>;
  EXPECT_THAT(shown, ElementsAre(P{0, false}, P{100, true}, P{200, false}, P{300, true}));
  EXPECT_EQ(rig.Now() - start, 300u);
  EXPECT_TRUE(form->Image1->Visible());
}

TEST_F(EffectsTest, ShakesMoveTheWindowAtOnceAndEndWhereTheyBegan) {
  int left = form->Left();
  int top = form->Top();
  form->ShakeSideways();
  form->ShakeVertical(100);
  std::vector<std::pair<DWORD, std::string>> moves;
  for (const auto& event : rig.EventsOf(EventKind::kFormBounds)) {
    moves.emplace_back(event.time - start, event.text);
  }
  auto at = [&](int l, int t) { return std::to_string(l) + "," + std::to_string(t) + ",462,301"; };
  using P = std::pair<DWORD, std::string>;
  EXPECT_THAT(moves, ElementsAre(P{0, at(left - 10, top)}, P{100, at(left, top)},
                                 P{100, at(left, top + 10)}, P{200, at(left, top)}));
  EXPECT_EQ(rig.Now() - start, 300u);
  EXPECT_TRUE(rig.EventsOf(EventKind::kRepaint).empty());
  EXPECT_EQ(form->Left(), left);
  EXPECT_EQ(form->Top(), top);
}

TEST_F(EffectsTest, CaptionSetBeforeAPlainSleepIsNotSeenDuringIt) {
  form->ShowLine1(Sjis("まだ見えない"));
  Sleep(400);
  EXPECT_TRUE(rig.Frames().empty());
  rig.Idle();
  EXPECT_EQ(rig.LastFrame().time - start, 400u);
  EXPECT_EQ(rig.LastFrame()["Mes1"].caption, "まだ見えない");
}

TEST_F(EffectsTest, PauseRepaintsThenSleeps) {
  form->ShowLine2(Sjis("見える"));
  form->Pause(700);
  ASSERT_EQ(rig.Frames().size(), 1u);
  EXPECT_EQ(rig.Frames()[0].time, start);
  EXPECT_EQ(rig.Frames()[0]["Mes2"].caption, "見える");
  EXPECT_EQ(rig.Now() - start, 700u);
}

TEST_F(EffectsTest, ClearLines23KeepsTheFirstLine) {
  form->ShowLine1(Sjis("一"));
  form->ShowLine2(Sjis("二"));
  form->ShowLine3(Sjis("三"));
  form->ClearLines23();
  EXPECT_EQ(Text(form->Mes1), "一");
  EXPECT_EQ(Text(form->Mes2), "");
  EXPECT_EQ(Text(form->Mes3), "");
}

TEST_F(EffectsTest, TickDrawReadsTheCounterAfreshEachTime) {
  rig.ScriptTicks({72, 16});
  EXPECT_EQ(form->TickDraw(), 72u);
  EXPECT_EQ(form->TickDraw(), 16u);
}

}  // namespace
