// The six pictures the program carries: each must parse and keep what makes it recognisable.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/pixelart/palette.h"
#include "tools/pixelart/parser.h"

namespace zorsav::pixelart {
namespace {

enum : std::uint8_t {
  kBlack = 0,
  kGreen = 2,
  kGrey = 8,
  kRed = 9,
  kLime = 10,
  kYellow = 11,
  kBlue = 12,
  kFuchsia = 13,
  kWhite = 15,
  kSilver = 7,
};

struct ArtCase {
  const char* name;
  int size;
  std::set<std::uint8_t> colours;  // each must appear
  std::uint8_t main_colour;        // the creature's body: the most used colour after black
};

std::ostream& operator<<(std::ostream& out, const ArtCase& c) { return out << c.name; }

ParseResult Load(const ArtCase& c) {
  std::ifstream in(std::string(ZORSAV_ART_DIR) + "/" + c.name + ".txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return ParsePicture(text.str(), c.size, c.size);
}

class PixelArtPicture : public testing::TestWithParam<ArtCase> {};

TEST_P(PixelArtPicture, ParsesWithItsColoursOnABlackBackground) {
  const ArtCase& c = GetParam();
  auto result = Load(c);
  ASSERT_TRUE(result.picture) << c.name << ":" << result.error.line << ":" << result.error.column
                              << ": " << result.error.message;
  const Picture& picture = *result.picture;
  std::vector<int> counts(kPaletteSize, 0);
  for (std::uint8_t index : picture.indices) ++counts[index];
  for (std::uint8_t colour : c.colours) {
    EXPECT_GT(counts[colour], 0) << c.name << " lacks colour " << kLegend[colour];
  }
  int last = c.size - 1;
  for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {last, 0}, {0, last}, {last, last}}) {
    EXPECT_EQ(picture.At(x, y), kBlack) << c.name << " corner " << x << "," << y;
  }
  int busiest = 1;
  for (int i = 2; i < kPaletteSize; ++i) {
    if (counts[i] > counts[busiest]) busiest = i;
  }
  EXPECT_EQ(busiest, c.main_colour) << c.name << " is mostly " << kLegend[busiest];
}

INSTANTIATE_TEST_SUITE_P(
    Resources, PixelArtPicture,
    testing::Values(ArtCase{"B1", 32, {kBlue, kGrey, kRed, kYellow}, kBlue},
                    ArtCase{"B2", 32, {kGrey, kRed, kGreen, kLime, kBlue, kYellow, kWhite}, kGrey},
                    ArtCase{"B3", 32, {kRed, kFuchsia, kYellow, kWhite}, kRed},
                    ArtCase{"B4", 32, {kRed, kBlue, kWhite, kYellow}, kRed},
                    ArtCase{"B5", 32, {kLime, kRed, kYellow, kBlack}, kLime},
                    ArtCase{"MAINICON", 16, {kSilver, kLime, kWhite}, kSilver}),
    [](const testing::TestParamInfo<ArtCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorsav::pixelart
