// The media commands at the story's fixed points, and the battle theme's loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/rig/game_fixture.h"

using rig::EventKind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class MusicTest : public GameTest {
 protected:
  void SetUp() override {
    Summon(5);
    rig.ClearRecords();
  }
  void Notify(WPARAM code) {
    rig.Post(MM_MCINOTIFY, code, 1);
    rig.Idle();
  }
};

TEST_F(MusicTest, ThemeThatRanToItsEndStartsAgainFromTheTop) {
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_THAT(rig.MciCommands(),
              ElementsAre("seek ZORSAVM1.MID to start", "play ZORSAVM1.MID notify"));
  auto events = rig.EventsOf(EventKind::kMci);
  EXPECT_EQ(events[0].value, 0);  // no callback for the seek
  EXPECT_EQ(events[1].value, 1);  // the play asks for the next notification
}

class OtherCodesTest : public MusicTest, public ::testing::WithParamInterface<WPARAM> {};

TEST_P(OtherCodesTest, AnyOtherCodeIsIgnored) {
  Notify(GetParam());
  EXPECT_THAT(rig.MciCommands(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Codes, OtherCodesTest,
                         ::testing::Values(MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED,
                                           MCI_NOTIFY_FAILURE, 0, 3));

TEST_F(MusicTest, ThemeLoopsOnInsideATurnAtItsMessagePoints) {
  int point = rig.ProcessMessagesCount() + 1;
  rig.AtProcessMessages(point, [&] { rig.Post(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1); });
  rig.ScriptTicks({3, 1});
  ASSERT_TRUE(rig.Click(*form->Button2));
  EXPECT_THAT(rig.MciCommands(),
              ElementsAre("seek ZORSAVM1.MID to start", "play ZORSAVM1.MID notify"));
}

TEST_F(MusicTest, ThemeLoopsOnWhileABoxIsOpen) {
  rig.WhileBoxOpen(
      [&](const rig::BoxRecord&) { rig.Post(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1); });
  rig.DoubleClick(*form->HP);
  rig.DoubleClick(*form->HP);  // the second double-click's box
  ASSERT_EQ(rig.Boxes().size(), 1u);
  auto commands = rig.MciCommands();
  ASSERT_EQ(commands.size(), 2u);
  // Handled inside the box's own loop, before the box was answered.
  EXPECT_LE(rig.EventsOf(EventKind::kMci)[1].time, rig.Boxes()[0].time);
}

TEST_F(MusicTest, LateEndOfTheThemeAfterTheVictoryIsHandledAndItsResultsIgnored) {
  // The theme ended during the winning turn, which processes no messages before its stop.
  form->MonsterHP = 1;
  rig.ScriptTicks({1, 10});
  rig.Post(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
  rig.SetMciResult(0);
  form->Button1->Click();  // the handler runs before the waiting message
  rig.SetMciResult(MCIERR_INVALID_DEVICE_NAME);
  rig.Idle();
  EXPECT_THAT(
      rig.MciCommands(),
      ElementsAre("stop ZORSAVM1.MID", "close ZORSAVM1.MID", "open ZORSAVM2.MID",
                  "play ZORSAVM2.MID", "seek ZORSAVM1.MID to start", "play ZORSAVM1.MID notify"));
  EXPECT_TRUE(form->Button5->Visible());
  EXPECT_TRUE(rig.Boxes().empty());
}

TEST_F(MusicTest, WholeStoryWithBothFilesMissingRunsAsWithThem) {
  rig.SetMciResult(MCIERR_FILE_NOT_FOUND);
  form->MonsterHP = 1;
  rig.ScriptTicks({1, 10});
  ASSERT_TRUE(rig.Click(*form->Button1));
  for (int press = 0; press < 4; ++press) ASSERT_TRUE(rig.Click(*form->Button5));
  EXPECT_TRUE(rig.Terminated());
  EXPECT_TRUE(rig.Boxes().empty());
  EXPECT_THAT(rig.MciCommands(),
              ElementsAre("stop ZORSAVM1.MID", "close ZORSAVM1.MID", "open ZORSAVM2.MID",
                          "play ZORSAVM2.MID", "stop ZORSAVM2.MID", "close ZORSAVM2.MID"));
}

}  // namespace
