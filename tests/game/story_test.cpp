// The story from the title screen to Exit, on the virtual clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/bitmaps.h"
#include "platform/win32/resources.h"
#include "platform/win32/shellapi.h"
#include "story/monsters.h"
#include "tests/rig/game_fixture.h"

using rig::EventKind;
using rig::FrameCause;
using ::testing::ElementsAre;

namespace {

class StoryTest : public GameTest {
 protected:
  // The victory screen as the battle leaves it: Button5 back, commands hidden, drops off.
  void WinBattle() {
    Summon();
    for (TButton* button : {form->Button1, form->Button2, form->Button3, form->Button4}) {
      button->SetVisible(false);
    }
    form->Button5->SetVisible(true);
    DragAcceptFiles(form->Handle(), FALSE);
  }
  void PressNext() { ASSERT_TRUE(rig.Click(*form->Button5)); }
};

TEST_F(StoryTest, TitleScreenShowsOnlyThePanelTheLinesAndNext) {
  EXPECT_EQ(form->Stage, StageTitle);
  EXPECT_TRUE(form->AllowClose);
  EXPECT_EQ(form->PlayerHP, 50);
  EXPECT_EQ(form->MonsterHP, 50);
  EXPECT_EQ(form->MonsterNo, 0);
  EXPECT_TRUE(form->MonsterName.IsEmpty());
  EXPECT_EQ(form->Image1->Picture()->Bitmap()->Handle(), nullptr);
  const rig::Frame& frame = rig.LastFrame();
  EXPECT_EQ(frame["Mes1"].caption, "ZOR-ScreenSaver Version 1.55");
  EXPECT_FALSE(frame["Mes2"].caption.empty());
  EXPECT_EQ(frame["Mes3"].caption, "     [次へ(N)]ボタンを押してください。");
  EXPECT_EQ(frame["HP"].caption, " あなたのHP： 50 ");
  for (const char* hidden :
       {"Image1", "HP", "Button1", "Button2", "Button3", "Button4", "Button6"}) {
    EXPECT_FALSE(frame[hidden].showing) << hidden;
  }
  EXPECT_TRUE(frame["Button5"].showing);
  EXPECT_TRUE(frame["Button5"].enabled);
  EXPECT_EQ(frame["Button5"].caption, "次へ(&N)");
  EXPECT_EQ(frame["Panel1"].color, clBlack);
  EXPECT_EQ(frame["Panel2"].color, clGray);
  EXPECT_FALSE(rig.DropsAccepted());
}

TEST_F(StoryTest, WindowIsCentredAndKeepsItsDesignSize) {
  const rig::Frame& frame = rig.LastFrame();
  EXPECT_EQ(frame.form_width, 462);
  EXPECT_EQ(frame.form_height, 301);
  EXPECT_EQ(frame.form_left, (1024 - 462) / 2);
  EXPECT_EQ(frame.form_top, (768 - 301) / 2);
}

struct SummonCase {
  DWORD tick;
  int monster_no;
  const char* name;
  const char* bitmap;
};

class SummonTest : public StoryTest, public ::testing::WithParamInterface<SummonCase> {};

TEST_P(SummonTest, TickPicksTheMonsterItsNameAndItsPicture) {
  const SummonCase& c = GetParam();
  Summon(c.tick);
  EXPECT_EQ(form->MonsterNo, c.monster_no);
  EXPECT_EQ(ToUtf8(form->MonsterName), c.name);
  EXPECT_EQ(ToUtf8(MonsterBitmapName(c.monster_no)), c.bitmap);
  const PixelImage* shown = BitmapPixels(form->Image1->Picture()->Bitmap()->Handle());
  ASSERT_NE(shown, nullptr);
  auto expected = DecodeBmpFile(*FindResourceData(c.bitmap, ResourceKind::kBitmap));
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(shown->pixels, expected->pixels);
  EXPECT_EQ(rig.LastFrame()["Mes2"].caption, std::string(c.name) + "があらわれた。");
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, SummonTest,
    ::testing::Values(SummonCase{0, 1, "イーエックスプローラー", "B1"},
                      SummonCase{5, 1, "イーエックスプローラー", "B1"},
                      SummonCase{6, 2, "ウィムドウズ", "B2"},
                      SummonCase{7, 3, "マックロソフトＭ", "B3"},
                      SummonCase{8, 4, "マックロソフトＳ", "B4"}, SummonCase{9, 5, "ズモグ", "B5"},
                      // The tick is unsigned: its top value is 0 mod 5, never negative.
                      SummonCase{0xFFFFFFFFu, 1, "イーエックスプローラー", "B1"},
                      SummonCase{0x80000003u, 2, "ウィムドウズ", "B2"}));

TEST_F(StoryTest, SummonShowsTheBattleAndReturnsAtOnce) {
  rig.ClearRecords();
  Summon(8);
  EXPECT_EQ(rig.TotalSleep(), 0u);
  EXPECT_TRUE(rig.EventsOf(EventKind::kRepaint).empty());
  const rig::Frame& frame = rig.LastFrame();
  EXPECT_EQ(frame.cause, FrameCause::kIdle);
  EXPECT_EQ(frame["Mes1"].caption, "「ぐはははは、このスクリーンはいただいた～」");
  EXPECT_EQ(frame["Mes2"].caption, "マックロソフトＳがあらわれた。");
  EXPECT_EQ(frame["Mes3"].caption, "どうしますか？");
  for (const char* shown : {"Image1", "HP", "Button1", "Button2", "Button3", "Button4"}) {
    EXPECT_TRUE(frame[shown].showing) << shown;
  }
  EXPECT_FALSE(frame["Button5"].showing);
  EXPECT_FALSE(form->AllowClose);
  EXPECT_TRUE(rig.TaskbarHidden());
  EXPECT_TRUE(rig.DropsAccepted());
  EXPECT_THAT(rig.MciCommands(), ElementsAre("open ZORSAVM1.MID", "play ZORSAVM1.MID notify"));
  // Only the play asks to be told when it ends.
  auto mci = rig.EventsOf(EventKind::kMci);
  EXPECT_EQ(mci[0].value, 0);
  EXPECT_EQ(mci[1].value, 1);
}

TEST_F(StoryTest, SummonRunsTheSameWithoutMusic) {
  rig.SetMciResult(MCIERR_FILE_NOT_FOUND);
  Summon(7);
  EXPECT_EQ(form->MonsterNo, 3);
  EXPECT_THAT(rig.MciCommands(), ElementsAre("open ZORSAVM1.MID", "play ZORSAVM1.MID notify"));
  EXPECT_TRUE(rig.LastFrame()["Button1"].showing);
}

TEST_F(StoryTest, MissingPictureLeavesTheImageEmpty) {
  // A set of resources with the form description but no monster pictures.
  auto form_text = *FindResourceData("TFORM1", ResourceKind::kForm);
  ResourceEntry entries[] = {{"TFORM1", ResourceKind::kForm, form_text.data(), form_text.size()}};
  RegisterResources(entries);
  Summon(9);
  EXPECT_EQ(form->Image1->Picture()->Bitmap()->Handle(), nullptr);
  EXPECT_TRUE(rig.Boxes().empty());
  EXPECT_TRUE(rig.LastFrame()["Image1"].showing);
  RegisterResources(EmbeddedResources());
}

TEST_F(StoryTest, ThanksAndPunchLineReturnHalfASecondAfterTheirLines) {
  WinBattle();
  rig.ClearRecords();
  DWORD start = rig.Now();
  PressNext();
  EXPECT_EQ(form->Stage, StageThanks);
  EXPECT_TRUE(rig.DropsAccepted());
  EXPECT_EQ(rig.TotalSleep(), 500u);
  // No repaint before the sleep: the thanks show only once the handler has returned.
  ASSERT_EQ(rig.Frames().size(), 1u);
  const rig::Frame& thanks = rig.LastFrame();
  EXPECT_EQ(thanks.time, start + 500);
  EXPECT_EQ(thanks["Mes1"].caption, "邪悪なるものを倒していただき、ありがとうございました。");
  EXPECT_EQ(thanks["Mes2"].caption, "これで、スクリーンは救われました。");
  EXPECT_EQ(thanks["Mes3"].caption, "あなたこそ、本当のスクリーンを守る勇者。");

  rig.ClearRecords();
  PressNext();
  EXPECT_EQ(form->Stage, StagePunchline);
  EXPECT_EQ(rig.TotalSleep(), 500u);
  ASSERT_EQ(rig.Frames().size(), 1u);
  const rig::Frame& punch = rig.LastFrame();
  EXPECT_EQ(punch.time, start + 1000);
  EXPECT_EQ(punch["Mes1"].caption, "スクリーンセーバーです。");
  EXPECT_EQ(punch["Mes2"].caption, "");
  EXPECT_EQ(punch["Mes3"].caption, "");
}

TEST_F(StoryTest, StaffRollLasts23SecondsWithFiveMessagePoints) {
  WinBattle();
  PressNext();
  PressNext();
  rig.ClearRecords();
  DWORD start = rig.Now();
  int points_before = rig.ProcessMessagesCount();
  std::vector<bool> next_refused;
  for (int k = 1; k <= 5; ++k) {
    rig.AtProcessMessages(points_before + k,
                          [&] { next_refused.push_back(!rig.Click(*form->Button5)); });
  }
  PressNext();
  EXPECT_EQ(rig.Now() - start, 23000u);
  EXPECT_EQ(rig.TotalSleep(), 23000u);
  std::vector<DWORD> point_times;
  for (const auto& event : rig.EventsOf(EventKind::kProcessMessages)) {
    point_times.push_back(event.time - start);
  }
  EXPECT_THAT(point_times, ElementsAre(3000u, 6000u, 9000u, 12000u, 18000u));
  EXPECT_THAT(next_refused, ElementsAre(true, true, true, true, true));
  // Button5 stays disabled in every frame until the roll's end.
  const auto& frames = rig.Frames();
  for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
    EXPECT_FALSE(frames[i]["Button5"].enabled) << "frame at " << frames[i].time - start;
  }
  const rig::Frame& end = rig.LastFrame();
  EXPECT_EQ(end["Button5"].caption, "終了(&X)");
  EXPECT_TRUE(end["Button5"].enabled);
  EXPECT_EQ(form->Stage, StageEnding);
  EXPECT_EQ(end["Mes3"].caption, "THE END");
}

TEST_F(StoryTest, StaffRollShowsOneCreditAtATimeInOrder) {
  WinBattle();
  PressNext();
  PressNext();
  rig.ClearRecords();
  DWORD start = rig.Now();
  PressNext();
  std::vector<std::pair<DWORD, std::string>> repaints;
  for (const auto& frame : rig.Frames()) {
    if (frame.cause != FrameCause::kRepaint) continue;
    repaints.emplace_back(frame.time - start, frame["Mes1"].caption + "|" + frame["Mes2"].caption +
                                                  "|" + frame["Mes3"].caption);
  }
  ASSERT_EQ(repaints.size(), 8u);
  EXPECT_EQ(repaints[0], std::make_pair(0u, std::string("||")));
  EXPECT_EQ(repaints[1], std::make_pair(1500u, std::string("ZOR-ScreenSaver STAFF||")));
  const char* roles[] = {"Idea : ", "Program : ", "Music : ", "Document : "};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(repaints[2 + i].first, 3000u + 3000u * i);
    EXPECT_TRUE(
        repaints[2 + i].second.starts_with("ZOR-ScreenSaver STAFF|" + std::string(roles[i])))
        << repaints[2 + i].second;
  }
  EXPECT_EQ(repaints[6], std::make_pair(15000u, std::string("||")));
  EXPECT_EQ(repaints[7].first, 18000u);
  EXPECT_TRUE(repaints[7].second.ends_with("||THE END"));
}

TEST_F(StoryTest, ExitStopsTheEndingThemeAndEndsTheProgram) {
  WinBattle();
  PressNext();
  PressNext();
  PressNext();
  rig.ClearRecords();
  PressNext();
  EXPECT_THAT(rig.MciCommands(), ElementsAre("stop ZORSAVM2.MID", "close ZORSAVM2.MID"));
  EXPECT_TRUE(form->AllowClose);
  EXPECT_TRUE(rig.Terminated());
  EXPECT_EQ(rig.TotalSleep(), 0u);
}

TEST_F(StoryTest, ExitRunsTheSameWhenTheEndingThemeIsMissing) {
  rig.SetMciResult(MCIERR_FILE_NOT_FOUND);
  WinBattle();
  PressNext();
  PressNext();
  PressNext();
  PressNext();
  EXPECT_TRUE(rig.Terminated());
}

TEST_F(StoryTest, StageOutsideTheStoryDoesNothing) {
  form->Stage = 7;
  rig.ClearRecords();
  PressNext();
  EXPECT_EQ(form->Stage, 7);
  EXPECT_TRUE(rig.Timeline().empty());
}

}  // namespace
