// CP932 texts: program literals, names from the desktop, and the byte-level rules that the
// extension search and the upper-casing depend on.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/ansi_string.h"
#include "platform/win32/cp932.h"
#include "platform/win32/shellapi.h"
#include "platform/win32/user.h"

namespace {

TEST(SjisTest, ProgramTextsRoundTripThroughCP932) {
  for (const char* text :
       {"あなたのHP：", "「ぐはははは、このスクリーンはいただいた～」", "３回まわって", "････",
        "ｱﾌﾟﾘｹｰｼｮﾝ", "×", "ＭＳ Ｐゴシック", "フレー！　フレー！"}) {
    EXPECT_EQ(ToUtf8(Sjis(text)), text);
  }
}

TEST(SjisTest, KnownBytes) {
  EXPECT_EQ(Sjis("ソ").Bytes(), "\x83\x5C");
  EXPECT_EQ(Sjis("～").Bytes(), "\x81\x60");
  EXPECT_EQ(Sjis("･").Bytes(), "\xA5");
  EXPECT_EQ(Sjis("A&B").Bytes(), "A&B");
}

TEST(SjisTest, ProgramTextThatCP932CannotHoldFailsLoudly) {
  EXPECT_THROW(Sjis("한국어"), std::invalid_argument);
  EXPECT_THROW(Sjis("\xF0\x9F\x98\x80"), std::invalid_argument);
}

struct LossyCase {
  std::string utf8;
  std::string cp932;
};

class LossyTest : public ::testing::TestWithParam<LossyCase> {};

TEST_P(LossyTest, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(SjisLossy(GetParam().utf8).Bytes(), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LossyTest,
    ::testing::Values(LossyCase{"/home/a.txt", "/home/a.txt"},
                      LossyCase{"/tmp/ソ.scr", "/tmp/\x83\x5C.scr"},
                      LossyCase{"/tmp/café.txt", "/tmp/caf?.txt"},
                      LossyCase{"/tmp/한.txt", "/tmp/?.txt"},
                      LossyCase{"/tmp/\xF0\x9F\x98\x80.exe", "/tmp/?.exe"},
                      // Broken UTF-8: each bad sequence is one "?", and nothing after it is lost.
                      LossyCase{"/tmp/\xFF.doc", "/tmp/?.doc"},
                      LossyCase{"/tmp/\xE3\x81.doc", "/tmp/?.doc"}, LossyCase{"\xC3", "?"}));

TEST(ToUtf8Test, BytesThatDoNotDecodeBecomeReplacementCharacters) {
  EXPECT_EQ(ToUtf8(AnsiString::FromBytes("a\x81")), "a\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(AnsiString::FromBytes("\xA0x")), "\xEF\xBF\xBDx");
}

TEST(IntToStrTest, PlainDecimal) {
  EXPECT_EQ(IntToStr(0).Bytes(), "0");
  EXPECT_EQ(IntToStr(-12).Bytes(), "-12");
  EXPECT_EQ(IntToStr(999).Bytes(), "999");
}

TEST(LeadByteTest, RangesOfTheCodePage) {
  for (int byte = 0; byte < 256; ++byte) {
    bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    EXPECT_EQ(IsDBCSLeadByte(static_cast<BYTE>(byte)), lead) << byte;
  }
}

TEST(CharBoundaryTest, NeverCutsInsideADoubleByteCharacter) {
  std::string text =
      "ab\x83\x5C"
      "c";  // a b ソ c
  EXPECT_EQ(CharBoundaryPrefix(text, 5), 5u);
  EXPECT_EQ(CharBoundaryPrefix(text, 4), 4u);
  EXPECT_EQ(CharBoundaryPrefix(text, 3), 2u);
  EXPECT_EQ(CharBoundaryPrefix(text, 0), 0u);
  // A lead byte at the very end, with no trail byte, is left out.
  EXPECT_EQ(CharBoundaryPrefix("ab\x83", 10), 2u);
}

TEST(DesktopPathTest, LongNamesAreCutTo254BytesAtACharacterBoundary) {
  std::string ascii(300, 'x');
  EXPECT_EQ(AnsiPathFromDesktop(ascii).Length(), 254u);
  // 253 ASCII bytes then "ソ": the double-byte character would end at byte 255.
  std::string path = std::string(253, 'a') + "ソ";
  AnsiString name = AnsiPathFromDesktop(path);
  EXPECT_EQ(name.Length(), 253u);
  EXPECT_EQ(name.Bytes(), std::string(253, 'a'));
  std::string fits = std::string(252, 'a') + "ソ";
  EXPECT_EQ(AnsiPathFromDesktop(fits).Length(), 254u);
}

struct UpperCase {
  std::string in;
  std::string out;
};

class CharUpperTest : public ::testing::TestWithParam<UpperCase> {};

TEST_P(CharUpperTest, UpperCasesAsciiLettersButNeverTrailBytes) {
  std::string text = GetParam().in;
  CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  EXPECT_EQ(text, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CharUpperTest,
    ::testing::Values(UpperCase{".txt", ".TXT"}, UpperCase{".HtMl", ".HTML"},
                      UpperCase{"a1_z", "A1_Z"},
                      // "Ｂ" is 0x82 0x61: its trail byte is the code of "a" and must stay.
                      UpperCase{"\x82\x61"
                                "b",
                                "\x82\x61"
                                "B"},
                      // Half-width katakana are single bytes and are not letters.
                      UpperCase{"\xB1x", "\xB1X"}, UpperCase{"", ""}));

}  // namespace
