// Files dropped between battle turns: the acceptance rules, the extension rule and the events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "drop/dropped_files.h"
#include "drop/events.h"
#include "drop/extension.h"
#include "platform/win32/shellapi.h"
#include "tests/rig/game_fixture.h"

using rig::EventKind;
using ::testing::ElementsAre;

namespace {

constexpr const char* kMonster = "イーエックスプローラー";
constexpr const char* kTitle = "救助隊希望";

class DropTest : public GameTest {
 protected:
  void SetUp() override {
    Summon(5);
    live_drops = LiveDropHandles();
    stray_finishes = StrayDragFinishes();
    rig.ClearRecords();
    start = rig.Now();
  }
  void TearDown() override {
    // Every drop is released exactly once.
    EXPECT_EQ(LiveDropHandles(), live_drops);
    EXPECT_EQ(StrayDragFinishes(), stray_finishes);
  }
  void Drop(std::vector<std::string> utf8_names) {
    std::vector<AnsiString> names;
    for (const auto& name : utf8_names) names.push_back(Sjis(name));
    ASSERT_TRUE(rig.DropFiles(std::move(names)));
    rig.Idle();
  }
  void DropBytes(const std::string& cp932_name) {
    ASSERT_TRUE(rig.DropFiles({AnsiString::FromBytes(cp932_name)}));
    rig.Idle();
  }
  int live_drops = 0;
  int stray_finishes = 0;
  DWORD start = 0;
};

struct RowCase {
  const char* name;
  int row;
  const char* mes1;  // null: the dropped name
  std::string mes2;
  std::string mes3;
  DWORD holds;  // from the event's first line to the prompt
};

std::string M(const char* text) { return std::string(kMonster) + text; }

const std::vector<RowCase>& RowCases() {
  static const std::vector<RowCase> cases = {
      {"/home/u/game.exe", 1, kMonster, " 「ほほう、これは美味そうな実行ファイルだ」",
       M("の HP が回復してしまった。"), 2300},
      {"/home/u/a.COM", 1, kMonster, " 「ほほう、これは美味そうな実行ファイルだ」",
       M("の HP が回復してしまった。"), 2300},
      {"/home/u/a.cmd", 1, kMonster, " 「ほほう、これは美味そうな実行ファイルだ」",
       M("の HP が回復してしまった。"), 2300},
      {"/home/u/a.Bat", 1, kMonster, " 「ほほう、これは美味そうな実行ファイルだ」",
       M("の HP が回復してしまった。"), 2300},
      {"/home/u/a.pif", 1, kMonster, " 「ほほう、これは美味そうな実行ファイルだ」",
       M("の HP が回復してしまった。"), 2300},
      {"/home/u/s.scr", 2, nullptr, "  「助けに来ました！」", "あなたの HP が回復した。", 2300},
      {"/home/u/s.wav", 3, nullptr, "  は、超音波をはなった！", M("はクラクラしている！！"), 3000},
      {"/home/u/s.dll", 4, nullptr, "  「にげちゃだめだ！！」", "あなたは両手持ちになった！！",
       3000},
      {"/home/u/readme.txt", 5, nullptr, "  は、にっこりほほえんでいる。", "", 2000},
      {"/home/u/index.htm", 6, nullptr, "  は、ぼーっとしている。", "", 2000},
      {"/home/u/index.HTML", 6, nullptr, "  は、ぼーっとしている。", "", 2000},
      {"/home/u/a.doc", 7, nullptr, "  「フレー！　フレー！」", "あなたのかしこさが上昇した！！",
       3000},
      {"/home/u/a.sys", 8, nullptr, "  「まけるな～！」", "あなたの体力が上がった！！", 3000},
      {"/home/u/a.ini", 9, nullptr, "  「みんな、がんばれ」", "あなたの運の良さが上がった。", 3000},
      {"/home/u/a.avi", 10, nullptr, "  「ガンガンいこうぜ！」", "あなたのMPが回復した。", 3000},
      {"/home/u/a.mid", 11, nullptr, "  「負けるんじゃないぞ！」", "あなたの腕っぷしが上がった。",
       3000},
      {"/home/u/a.rmi", 12, nullptr, "  「君が負けても、僕の心の中で生きてるさ！」",
       "あなたの最大MPが上昇した。", 3000},
      {"/home/u/a.bmp", 13, nullptr, "  は、究極の魔法を唱えた！！", "あなたの最大HPが上昇した。",
       3000},
      {"/home/u/a.mov", 14, nullptr, "  は、呪文を唱えた！", "しかし、ド忘れしてしまったようだ。",
       3000},
      {"/home/u/a.jpg", 15, nullptr, "  は、不思議な踊りを踊った！", M("はあっけにとられている。"),
       3000},
      {"/home/u/a.jpeg", 16, nullptr, "  「ガンバレ！」", "あなたのすばやさが上昇した！！", 3000},
      {"/home/u/a.tar.gz", 16, nullptr, "  「ガンバレ！」", "あなたのすばやさが上昇した！！", 3000},
      {"/home/u/Makefile", 16, nullptr, "  「ガンバレ！」", "あなたのすばやさが上昇した！！", 3000},
      {"/home/u/v1.0/notes", 16, nullptr, "  「ガンバレ！」", "あなたのすばやさが上昇した！！",
       3000},
      {"/home/u/ends.", 16, nullptr, "  「ガンバレ！」", "あなたのすばやさが上昇した！！", 3000},
  };
  return cases;
}

class DropRowTest : public DropTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(DropRowTest, PlaysTheEventOfItsRowThenPromptsAgain) {
  const RowCase& c = GetParam();
  Drop({c.name});
  EXPECT_EQ(DropEventRow(UpperExtension(Sjis(c.name))), c.row);
  // The event's lines stand at the 2000 ms pause before the prompt.
  std::string lines;
  DWORD pause_at = 0;
  for (const auto& frame : rig.Frames()) {
    if (frame.cause == rig::FrameCause::kRepaint) {
      lines = frame["Mes1"].caption + "|" + frame["Mes2"].caption + "|" + frame["Mes3"].caption;
      pause_at = frame.time;
    }
  }
  std::string mes1 = c.mes1 != nullptr ? c.mes1 : c.name;
  EXPECT_EQ(lines, mes1 + "|" + c.mes2 + "|" + c.mes3);
  EXPECT_EQ(rig.Now() - pause_at, 2000u);
  EXPECT_EQ(rig.TotalSleep(), c.holds);
  const rig::Frame& end = rig.LastFrame();
  EXPECT_EQ(end["Mes1"].caption, "どうしますか？");
  EXPECT_EQ(end["Mes2"].caption, "");
  EXPECT_EQ(end["Mes3"].caption, "");
  for (const char* button : {"Button1", "Button2", "Button3", "Button4"}) {
    EXPECT_TRUE(end[button].enabled);
  }
  EXPECT_EQ(DroppedCount, 1);
  EXPECT_EQ(ToUtf8(DroppedFiles[0]), c.name);
}

INSTANTIATE_TEST_SUITE_P(Rows, DropRowTest, ::testing::ValuesIn(RowCases()));

TEST_F(DropTest, ButtonsAreDisabledWhileTheEventPlays) {
  Drop({"/home/u/a.wav"});
  const auto& frames = rig.Frames();
  for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
    if (frames[i].cause == rig::FrameCause::kRepaint) {
      EXPECT_FALSE(frames[i]["Button1"].enabled);
    }
  }
}

TEST_F(DropTest, HandlerFirstAsksForTheFrontAndLetsWaitingMessagesThrough) {
  Drop({"/home/u/a.txt"});
  const auto& timeline = rig.Timeline();
  auto front = std::find_if(timeline.begin(), timeline.end(),
                            [](const auto& e) { return e.kind == EventKind::kForeground; });
  auto point = std::find_if(timeline.begin(), timeline.end(),
                            [](const auto& e) { return e.kind == EventKind::kProcessMessages; });
  ASSERT_NE(front, timeline.end());
  ASSERT_NE(point, timeline.end());
  EXPECT_LT(front - timeline.begin(), point - timeline.begin());
}

struct ShiftJisCase {
  std::string name;  // CP932 bytes
  const char* extension;
  int row;
};

class ShiftJisNameTest : public ::testing::TestWithParam<ShiftJisCase> {};

TEST_P(ShiftJisNameTest, TrailBytesAreNeverSeparators) {
  AnsiString name = AnsiString::FromBytes(GetParam().name);
  EXPECT_EQ(UpperExtension(name).Bytes(), GetParam().extension);
  EXPECT_EQ(DropEventRow(UpperExtension(name)), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShiftJisNameTest,
    ::testing::Values(
        // "ソ" is 0x83 0x5C: its trail byte is the code of a backslash.
        ShiftJisCase{"/tmp/\x83\x5C.txt", ".TXT", 5}, ShiftJisCase{"C:\\a.doc\\\x83\x5C", "", 16},
        ShiftJisCase{"/tmp/a.\x83\x5C", ".\x83\x5C", 16},
        // "ポ" is 0x83 0x7C: a trail byte that is "|" in ASCII.
        ShiftJisCase{"/tmp/\x83\x7C.scr", ".SCR", 2},
        // "Ｂ" is 0x82 0x61: its trail byte must not be upper-cased into "A".
        ShiftJisCase{"/tmp/x.\x82\x61", ".\x82\x61", 16}, ShiftJisCase{"a.b\\c", "", 16},
        ShiftJisCase{"a.b:c", "", 16}, ShiftJisCase{"/a.exe/b", "", 16}, ShiftJisCase{"", "", 16},
        ShiftJisCase{".", ".", 16}, ShiftJisCase{"x.eXe", ".EXE", 1},
        // A lead byte cut off at the very end swallows nothing beyond the name.
        ShiftJisCase{"/tmp/a.txt\x83", ".TXT\x83", 16}));

TEST_F(DropTest, ShiftJisNameIsShownAndStoredAsItCame) {
  DropBytes("/tmp/\x83\x5C\x83\x74\x83\x67.scr");  // ソフト.scr
  EXPECT_EQ(form->PlayerHP, 60);
  EXPECT_EQ(DroppedFiles[0].Bytes(), "/tmp/\x83\x5C\x83\x74\x83\x67.scr");
}

TEST_F(DropTest, NameWithAmpersandsIsStoredUnchanged) {
  Drop({"/tmp/R&D && more.txt"});
  EXPECT_EQ(ToUtf8(DroppedFiles[0]), "/tmp/R&D && more.txt");
}

// --- Refusals ---

TEST_F(DropTest, TwoFilesAtOnceGetTheCountBoxAndNeitherIsStored) {
  Drop({"/tmp/a.txt", "/tmp/b.txt"});
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "一度に複数のファイルをドロップすることはできません。");
  EXPECT_EQ(rig.Boxes()[0].caption, kTitle);
  EXPECT_EQ(rig.Boxes()[0].style, MB_ICONEXCLAMATION);
  EXPECT_EQ(DroppedCount, 0);
  Drop({"/tmp/a.txt"});
  Drop({"/tmp/b.txt"});
  EXPECT_EQ(DroppedCount, 2);
}

TEST_F(DropTest, SameNameTwiceGetsTheDuplicateBoxButAnotherCaseIsAnotherName) {
  Drop({"/tmp/a.txt"});
  rig.ClearRecords();
  Drop({"/tmp/a.txt"});
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "同じファイルはドロップできません。");
  EXPECT_EQ(rig.Boxes()[0].style, MB_ICONEXCLAMATION);
  EXPECT_EQ(rig.TotalSleep(), 0u);
  Drop({"/tmp/A.txt"});
  EXPECT_EQ(DroppedCount, 2);
}

TEST_F(DropTest, HundredthFilePlaysAndEveryLaterDropGetsTheLimitBox) {
  for (int i = 0; i < 99; ++i) {
    DroppedFiles[i] = Sjis("/tmp/f" + std::to_string(i));
  }
  DroppedCount = 99;
  Drop({"/tmp/hundredth.txt"});
  EXPECT_EQ(DroppedCount, 100);
  EXPECT_TRUE(rig.Boxes().empty());
  for (std::vector<std::string> names :
       {std::vector<std::string>{"/tmp/new.txt"}, {"/tmp/f3"}, {"/tmp/x", "/tmp/y"}}) {
    rig.ClearRecords();
    Drop(names);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    // Several files with the list full: the count box comes first; else the limit box.
    EXPECT_EQ(rig.Boxes()[0].text, names.size() > 1
                                       ? "一度に複数のファイルをドロップすることはできません。"
                                       : "これ以上のファイルはドロップできません。");
  }
  EXPECT_EQ(DroppedCount, 100);
}

TEST_F(DropTest, AfterTheThanksEveryDropIsLate) {
  form->Stage = StageThanks;
  Drop({"/tmp/a.scr"});
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "来るのがちょっと遅かったです。");
  EXPECT_EQ(rig.Boxes()[0].caption, kTitle);
  EXPECT_EQ(rig.Boxes()[0].style, MB_ICONHAND);
  EXPECT_EQ(form->PlayerHP, 50);
  EXPECT_EQ(DroppedCount, 0);
}

TEST_F(DropTest, DropDuringTheDefeatsSlideGetsTheLateBoxAndTheSlideGoesOn) {
  form->PlayerHP = 1;
  bool dropped = false;
  // The turn's two points, the defeat's own, then a few steps into the slide.
  rig.AtProcessMessages(rig.ProcessMessagesCount() + 3 + 5,
                        [&] { dropped = rig.DropFiles({Sjis("/tmp/too-late.scr")}); });
  rig.ScriptTicks({3, 1});
  ASSERT_TRUE(rig.Click(*form->Button2));
  EXPECT_TRUE(dropped);
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "来るのがちょっと遅かったです。");
  EXPECT_EQ(rig.Boxes()[0].style, MB_ICONHAND);
  EXPECT_EQ(form->Button6->Top(), 8);  // the slide ran on to its end
  EXPECT_EQ(form->PlayerHP, 0);
  EXPECT_EQ(DroppedCount, 0);
}

TEST_F(DropTest, LateBoxComesBeforeEveryOtherCheck) {
  form->Stage = StageEnding;
  DroppedCount = 100;
  Drop({"/tmp/a", "/tmp/b"});
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes()[0].text, "来るのがちょっと遅かったです。");
}

TEST_F(DropTest, RefusalsChangeNothingOnScreen) {
  Drop({"/tmp/a", "/tmp/b"});
  const rig::Frame& end = rig.LastFrame();
  EXPECT_EQ(end["Mes1"].caption, "「ぐはははは、このスクリーンはいただいた～」");
  EXPECT_TRUE(end["Button1"].enabled);
}

TEST_F(DropTest, DuringATurnTheWindowRefusesDropsAtTheProtocolLevel) {
  bool refused = false;
  rig.AtProcessMessages(rig.ProcessMessagesCount() + 1,
                        [&] { refused = !rig.DropFiles({Sjis("/tmp/a.scr")}); });
  rig.ScriptTicks({3, 1});
  ASSERT_TRUE(rig.Click(*form->Button2));
  EXPECT_TRUE(refused);
  EXPECT_EQ(DroppedCount, 0);
}

// --- State changes ---

struct RaiseCase {
  int before;
  int after;
};

class FeedMonsterTest : public DropTest, public ::testing::WithParamInterface<RaiseCase> {};

TEST_P(FeedMonsterTest, ExecutableHealsTheMonsterUpTo999) {
  form->MonsterHP = GetParam().before;
  Drop({"/tmp/food.exe"});
  EXPECT_EQ(form->MonsterHP, GetParam().after);
  EXPECT_EQ(form->PlayerHP, 50);
}

INSTANTIATE_TEST_SUITE_P(Raises, FeedMonsterTest,
                         ::testing::Values(RaiseCase{50, 60}, RaiseCase{989, 999},
                                           RaiseCase{995, 999}, RaiseCase{999, 999},
                                           RaiseCase{-12, -2}));

class HealPlayerTest : public DropTest, public ::testing::WithParamInterface<RaiseCase> {};

TEST_P(HealPlayerTest, ScreenSaverHealsThePlayerUpTo999) {
  form->PlayerHP = GetParam().before;
  Drop({"/tmp/friend.scr"});
  EXPECT_EQ(form->PlayerHP, GetParam().after);
  EXPECT_EQ(Text(form->HP), " あなたのHP：" + std::to_string(GetParam().after) + " ");
  EXPECT_EQ(form->MonsterHP, 50);
}

INSTANTIATE_TEST_SUITE_P(Raises, HealPlayerTest,
                         ::testing::Values(RaiseCase{50, 60}, RaiseCase{995, 999},
                                           RaiseCase{999, 999}));

TEST_F(DropTest, ScreenSaverAtOneHPUndoesTheLimitBreak) {
  form->PlayerHP = 2;
  rig.ScriptTicks({0, 1});
  ASSERT_TRUE(rig.Click(*form->Button2));
  ASSERT_EQ(form->HP->Color(), clPurple);
  ASSERT_EQ(Text(form->Button1), "リミット(&L)");
  Drop({"/tmp/rescue.scr"});
  EXPECT_EQ(form->PlayerHP, 11);
  EXPECT_EQ(form->HP->Color(), clGray);
  EXPECT_EQ(Text(form->HP), " あなたのHP：11 ");
  EXPECT_EQ(Text(form->Button1), "たたかう(&A)");
  // The next fight is an ordinary attack.
  form->MonsterHP = 100;
  rig.ScriptTicks({1, 10, 3, 1});
  ASSERT_TRUE(rig.Click(*form->Button1));
  EXPECT_EQ(form->MonsterHP, 99);
}

TEST_F(DropTest, ScreenSaverFlashesWhiteThreeTimes) {
  Drop({"/tmp/friend.scr"});
  int white = 0;
  for (const auto& frame : rig.Frames()) {
    if (frame.cause == rig::FrameCause::kRepaint && frame["Panel1"].color == clWhite) ++white;
  }
  EXPECT_EQ(white, 3);
}

}  // namespace
