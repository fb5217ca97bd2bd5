#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pixelart/palette.h"
#include "tools/pixelart/parser.h"

namespace zorsav::pixelart {
namespace {

TEST(PixelArtParser, EveryLegendCharacterMapsToItsIndex) {
  std::string row(kLegend);
  auto result = ParsePicture(row + "\n", kPaletteSize, 1);
  ASSERT_TRUE(result.picture) << result.error.message;
  for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(result.picture->At(i, 0), i);
}

TEST(PixelArtParser, LegendHasSixteenDistinctCharactersAndNoCommentMark) {
  ASSERT_EQ(kLegend.size(), static_cast<std::size_t>(kPaletteSize));
  for (std::size_t i = 0; i < kLegend.size(); ++i) {
    EXPECT_EQ(kLegend.find(kLegend[i]), i) << "duplicate " << kLegend[i];
  }
  EXPECT_EQ(kLegend.find('#'), std::string_view::npos);
  EXPECT_FALSE(IndexOfChar('#'));
  EXPECT_FALSE(IndexOfChar('\0'));
}

TEST(PixelArtParser, SkipsCommentsAndEmptyLinesAndAcceptsCrLf) {
  auto result = ParsePicture("# a comment\r\n\r\n.R\r\n# between rows\n\nBW", 2, 2);
  ASSERT_TRUE(result.picture) << result.error.message;
  EXPECT_EQ(result.picture->indices, (std::vector<std::uint8_t>{0, 9, 12, 15}));
}

TEST(PixelArtParser, RowsAreTopFirstAndLeftToRight) {
  auto result = ParsePicture("rg\nyb\nmc\n", 2, 3);
  ASSERT_TRUE(result.picture);
  EXPECT_EQ(result.picture->At(1, 0), 2);  // g
  EXPECT_EQ(result.picture->At(0, 2), 5);  // m
}

struct ErrorCase {
  const char* name;
  std::string text;
  int line;
  int column;
  std::string message_part;
};

class PixelArtParserError : public testing::TestWithParam<ErrorCase> {};

TEST_P(PixelArtParserError, ReportsWhereAndWhat) {
  const ErrorCase& c = GetParam();
  auto result = ParsePicture(c.text, 4, 3);
  ASSERT_FALSE(result.picture);
  EXPECT_EQ(result.error.line, c.line);
  EXPECT_EQ(result.error.column, c.column);
  EXPECT_NE(result.error.message.find(c.message_part), std::string::npos) << result.error.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixelArtParserError,
    testing::Values(
        ErrorCase{"ShortRow", "....\n..\n....\n", 2, 3, "2 pixels, expected 4"},
        ErrorCase{"LongRow", "....\n....\n.....\n", 3, 5, "longer than 4"},
        ErrorCase{"TooFewRows", "# top\n....\n....\n", 4, 1, "after 2 rows, expected 3"},
        ErrorCase{"TooFewRowsNoFinalNewline", "....\n....", 3, 1, "after 2 rows"},
        ErrorCase{"Empty", "", 1, 1, "after 0 rows"},
        ErrorCase{"TooManyRows", "....\n....\n....\n# fine\n....\n", 5, 1, "more than 3"},
        ErrorCase{"UnknownCharacter", "....\n..x.\n....\n", 2, 3, "'x'"},
        ErrorCase{"TrailingBlank", "....\n....\n.... \n", 3, 5, "longer than 4"},
        ErrorCase{"BlankInsideRow", "....\n. ..\n....\n", 2, 2, "byte 0x20"},
        ErrorCase{"TabInsideRow", "\t...\n", 1, 1, "byte 0x09"},
        ErrorCase{"NonAsciiByte", "...\xC3\n", 1, 4, "byte 0xC3"},
        ErrorCase{"IndentedComment", "....\n #x\n", 2, 1, "byte 0x20"},
        ErrorCase{"LoneCarriageReturnInRow", "..\r.\n", 1, 3, "byte 0x0D"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorsav::pixelart
