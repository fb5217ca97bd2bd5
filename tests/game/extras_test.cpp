// The quit chain behind the close button, and the HP label's double-click jokes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "extras/hp_messages.h"
#include "tests/rig/game_fixture.h"

using ::testing::ElementsAre;

namespace {

// --- The quit chain ---

class QuitChainTest : public GameTest {
 protected:
  void SetUp() override {
    Summon(5);
    form->PlayerHP = 1;
    rig.ScriptTicks({3, 1});
    ASSERT_TRUE(rig.Click(*form->Button2));  // the defeat
    ASSERT_TRUE(form->Button6->Visible());
    rig.ClearRecords();
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : rig.Boxes()) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(QuitChainTest, NoToTheFirstBoxEndsTheChainSilently) {
  rig.AnswerBoxes({IDNO});
  ASSERT_TRUE(rig.Click(*form->Button6));
  EXPECT_THAT(BoxTexts(), ElementsAre("終了したいですか？"));
  EXPECT_EQ(rig.Boxes()[0].caption, "敗北");
  EXPECT_EQ(rig.Boxes()[0].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_FALSE(form->AllowClose);
  EXPECT_FALSE(rig.Terminated());
  // And the chain starts again at the first box.
  rig.AnswerBoxes({IDNO});
  ASSERT_TRUE(rig.Click(*form->Button6));
  EXPECT_EQ(rig.Boxes().size(), 2u);
  EXPECT_EQ(rig.Boxes()[1].text, "終了したいですか？");
}

TEST_F(QuitChainTest, YesOkNoIsRejectedAndChangesNothing) {
  rig.AnswerBoxes({IDYES, IDOK, IDNO, IDOK});
  ASSERT_TRUE(rig.Click(*form->Button6));
  EXPECT_THAT(BoxTexts(), ElementsAre("終了したいですか？", "３回まわってワンと言ってください。",
                                      "本当にやりましたか？", "却下！"));
  std::vector<UINT> styles;
  for (const auto& box : rig.Boxes()) styles.push_back(box.style);
  EXPECT_THAT(styles, ElementsAre(MB_YESNO | MB_ICONQUESTION, MB_ICONINFORMATION,
                                  MB_YESNO | MB_ICONQUESTION, MB_ICONHAND));
  for (const auto& box : rig.Boxes()) EXPECT_EQ(box.caption, "敗北");
  EXPECT_FALSE(form->AllowClose);
  EXPECT_FALSE(rig.Terminated());
  EXPECT_EQ(form->Button6->Top(), 8);
  rig.RequestClose();
  EXPECT_FALSE(rig.Terminated());
}

TEST_F(QuitChainTest, YesOkYesEndsTheProgram) {
  rig.AnswerBoxes({IDYES, IDOK, IDYES, IDOK});
  ASSERT_TRUE(rig.Click(*form->Button6));
  EXPECT_THAT(BoxTexts(), ElementsAre("終了したいですか？", "３回まわってワンと言ってください。",
                                      "本当にやりましたか？", "では、終了します。"));
  EXPECT_EQ(rig.Boxes()[3].caption, "終了");
  EXPECT_EQ(rig.Boxes()[3].style, MB_OK);
  EXPECT_TRUE(form->AllowClose);
  EXPECT_TRUE(rig.Terminated());
  // Both themes are closed by then: the battle theme at the defeat, the ending never opened.
  EXPECT_TRUE(rig.MciCommands().empty());
}

TEST_F(QuitChainTest, OnlyTheAnswersToTheFirstAndThirdBoxCount) {
  rig.AnswerBoxes({IDYES, IDNO, IDYES, IDOK});  // "No" to an OK box means nothing
  ASSERT_TRUE(rig.Click(*form->Button6));
  EXPECT_TRUE(rig.Terminated());
}

class SlideQuitTest : public GameTest {};

TEST_F(SlideQuitTest, QuitHalfwayDownTheSlideStopsItAtTop9) {
  Summon(5);
  form->PlayerHP = 1;
  std::vector<int> tops_after_quit;
  int quit_point = 0;
  // The turn's two points and the defeat's own come first; then one per slide step.
  int halfway = rig.ProcessMessagesCount() + 3 + 20;
  rig.AtProcessMessages(halfway, [&] {
    rig.AnswerBoxes({IDYES, IDOK, IDYES, IDOK});
    ASSERT_TRUE(rig.Click(*form->Button6));
    EXPECT_TRUE(rig.Terminated());
    quit_point = rig.ProcessMessagesCount();
  });
  rig.ScriptTicks({3, 1});
  ASSERT_TRUE(rig.Click(*form->Button2));
  EXPECT_EQ(form->Button6->Top(), 9);
  EXPECT_EQ(rig.ProcessMessagesCount(), quit_point);  // no further step ran
  EXPECT_EQ(rig.Boxes().size(), 4u);
}

TEST_F(SlideQuitTest, ButtonCanBeClickedOnlyOnceTheDefeatShowsIt) {
  Summon(5);
  EXPECT_FALSE(rig.Click(*form->Button6));
}

// --- The HP label ---

class HPJokeTest : public GameTest {
 protected:
  void SetUp() override { Summon(5); }
};

TEST_F(HPJokeTest, CountsOneToFiftyFiveAgainstTheTable) {
  std::map<int, std::string> expected = {
      {2, "いくらたたいても、回復しません。"},
      {4, "無駄です。あきらめなさい。"},
      {6, "しつこいと、嫌われるよ。"},
      {15, "エクスプローラからDrag&&Drop!"},
      {20, "もう何も出てこないよ。"},
      {25, "さあ、戦いに専念しよう！"},
      {30, "これで終わりです。"},
      {35, "本当に終わりです。"},
      {40, "････"},
      {45, "････"},
      {50, "期待のニューフェイス"},
  };
  for (int count = 1; count <= 55; ++count) {
    std::size_t boxes = rig.Boxes().size();
    ASSERT_TRUE(rig.DoubleClick(*form->HP));
    EXPECT_EQ(HPClickCount, static_cast<DWORD>(count));
    bool credit = count == 10 || count == 13;
    bool shows = expected.count(count) > 0 || credit;
    ASSERT_EQ(rig.Boxes().size(), boxes + (shows ? 1 : 0)) << "count " << count;
    if (!shows) continue;
    const rig::BoxRecord& box = rig.Boxes().back();
    EXPECT_EQ(box.caption, "メッセージ");
    EXPECT_EQ(box.style, MB_ICONINFORMATION);
    if (!credit) {
      EXPECT_EQ(box.text, expected[count]) << "count " << count;
    }
  }
  EXPECT_EQ(form->PlayerHP, 50);
}

TEST_F(HPJokeTest, CreditsNameThisProgramAndItsTools) {
  for (int count = 1; count <= 13; ++count) rig.DoubleClick(*form->HP);
  ASSERT_EQ(rig.Boxes().size(), 5u);
  EXPECT_NE(rig.Boxes()[3].text.find("Zorsav"), std::string::npos);
  // Three short lines with a blank line between each two.
  const std::string& note = rig.Boxes()[4].text;
  EXPECT_EQ(std::count(note.begin(), note.end(), '\n'), 4);
  EXPECT_NE(note.find("\n\n"), std::string::npos);
}

TEST_F(HPJokeTest, CountingGoesOnOnTheVictoryScreen) {
  rig.DoubleClick(*form->HP);
  form->MonsterHP = 1;
  rig.ScriptTicks({1, 10});
  ASSERT_TRUE(rig.Click(*form->Button1));
  ASSERT_TRUE(form->Button5->Visible());
  ASSERT_TRUE(rig.DoubleClick(*form->HP));
  EXPECT_EQ(HPClickCount, 2u);
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "いくらたたいても、回復しません。");
}

TEST_F(HPJokeTest, NoBoxEverAboveFifty) {
  HPClickCount = 0xFFFFFFF0u;
  for (int i = 0; i < 40; ++i) rig.DoubleClick(*form->HP);  // wraps past zero
  HPClickCount = 60;
  rig.DoubleClick(*form->HP);
  std::vector<std::string> texts;
  for (const auto& box : rig.Boxes()) texts.push_back(box.text);
  // Only the wrapped counts 2, 4, 6, 10, 13, 15 and 20 to 24 can show again.
  for (const auto& text : texts) EXPECT_NE(text, "期待のニューフェイス");
}

class HPRaiseTest : public GameTest {
 protected:
  void SetUp() override {
    Summon(5);
    form->Stage = StageThanks;
  }
};

struct RaiseCase {
  int before;
  int after;
  TColor colour_before;
  TColor colour_after;
};

class HPRaiseTableTest : public HPRaiseTest, public ::testing::WithParamInterface<RaiseCase> {};

TEST_P(HPRaiseTableTest, EachDoubleClickRaisesHPByOneUpTo999) {
  const RaiseCase& c = GetParam();
  form->PlayerHP = c.before;
  form->HP->SetColor(c.colour_before);
  form->UpdateHPLabel();
  ASSERT_TRUE(rig.DoubleClick(*form->HP));
  EXPECT_EQ(form->PlayerHP, c.after);
  EXPECT_EQ(Text(form->HP), " あなたのHP：" + std::to_string(c.after) + " ");
  EXPECT_EQ(form->HP->Color(), c.colour_after);
  EXPECT_TRUE(rig.Boxes().empty());
  EXPECT_EQ(HPClickCount, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Raises, HPRaiseTableTest,
    ::testing::Values(RaiseCase{37, 38, clGray, clGray}, RaiseCase{998, 999, clGray, clGray},
                      RaiseCase{5, 6, clYellow, clYellow}, RaiseCase{8, 9, clYellow, clYellow},
                      RaiseCase{9, 10, clYellow, clGray}, RaiseCase{1, 2, clPurple, clPurple},
                      RaiseCase{8, 9, clPurple, clPurple}, RaiseCase{9, 10, clPurple, clGray}));

TEST_F(HPRaiseTest, At999NothingChangesNotEvenTheText) {
  form->PlayerHP = 999;
  form->HP->SetCaption(Sjis(" 古い文字 "));
  ASSERT_TRUE(rig.DoubleClick(*form->HP));
  EXPECT_EQ(form->PlayerHP, 999);
  EXPECT_EQ(Text(form->HP), " 古い文字 ");
}

TEST_F(HPRaiseTest, NoBoxFromTheThanksOnWhateverTheCount) {
  HPClickCount = 1;
  for (int i = 0; i < 60; ++i) rig.DoubleClick(*form->HP);
  EXPECT_TRUE(rig.Boxes().empty());
  EXPECT_EQ(HPClickCount, 1u);
  EXPECT_EQ(form->PlayerHP, 110);
}

TEST_F(HPRaiseTest, DoubleClickDuringTheStaffRollRaisesHPWithoutABox) {
  form->Stage = StagePunchline;
  form->Button5->SetVisible(true);
  for (auto* b : {form->Button1, form->Button2, form->Button3, form->Button4}) b->SetVisible(false);
  int point = rig.ProcessMessagesCount() + 2;
  rig.AtProcessMessages(point, [&] { EXPECT_TRUE(rig.DoubleClick(*form->HP)); });
  ASSERT_TRUE(rig.Click(*form->Button5));
  EXPECT_EQ(form->PlayerHP, 51);
  EXPECT_TRUE(rig.Boxes().empty());
  EXPECT_EQ(form->Stage, StageEnding);
}

}  // namespace
