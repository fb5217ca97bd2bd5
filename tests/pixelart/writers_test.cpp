#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/pixelart/test_decoder.h"
#include "tools/pixelart/palette.h"
#include "tools/pixelart/parser.h"
#include "tools/pixelart/writers.h"

namespace zorsav::pixelart {
namespace {

using testing_support::DecodeRows;
using testing_support::Le;

// Every pixel a different index, so any swap of rows, columns or nibbles shows.
Picture Gradient(int width, int height) {
  Picture picture{width, height, {}};
  for (int i = 0; i < width * height; ++i) picture.indices.push_back((i * 7 + i / width) % 16);
  return picture;
}

struct Field {
  const char* name;
  std::size_t at;
  int size;
  std::uint32_t value;
};

void ExpectFields(const std::vector<std::uint8_t>& bytes, const std::vector<Field>& fields) {
  for (const Field& field : fields) {
    EXPECT_EQ(Le(bytes, field.at, field.size), field.value) << field.name;
  }
}

constexpr std::size_t kBmpPixelsAt = 14 + 40 + 64;
constexpr std::size_t kIcoDibAt = 22;
constexpr std::size_t kIcoPixelsAt = kIcoDibAt + 40 + 64;

TEST(PixelArtBmp, HeaderFieldsOfAMonsterPicture) {
  auto bytes = WriteBmp(Gradient(32, 32));
  ASSERT_EQ(bytes.size(), kBmpPixelsAt + 16 * 32);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  ExpectFields(bytes, {{"file size", 2, 4, static_cast<std::uint32_t>(bytes.size())},
                       {"reserved", 6, 4, 0},
                       {"pixel offset", 10, 4, kBmpPixelsAt},
                       {"header size", 14, 4, 40},
                       {"width", 18, 4, 32},
                       {"height (positive: bottom-up)", 22, 4, 32},
                       {"planes", 26, 2, 1},
                       {"bits per pixel", 28, 2, 4},
                       {"compression", 30, 4, 0},
                       {"image size", 34, 4, 16 * 32},
                       {"colours used", 46, 4, 16},
                       {"colours important", 50, 4, 16}});
  for (std::size_t at : {38u, 42u}) {
    std::uint32_t resolution = Le(bytes, at, 4);
    EXPECT_TRUE(resolution == 0 || resolution == 2835) << resolution;
  }
}

void ExpectPalette(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  const std::vector<std::vector<int>> kRgb = {
      {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
      {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
      {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  for (std::size_t i = 0; i < kRgb.size(); ++i) {
    std::size_t entry = at + 4 * i;
    EXPECT_EQ(bytes[entry], kRgb[i][2]) << "blue of " << i;
    EXPECT_EQ(bytes[entry + 1], kRgb[i][1]) << "green of " << i;
    EXPECT_EQ(bytes[entry + 2], kRgb[i][0]) << "red of " << i;
    EXPECT_EQ(bytes[entry + 3], 0) << "reserved of " << i;
  }
}

TEST(PixelArtBmp, PaletteIsTheStandardSixteenAsBlueGreenRedZero) {
  ExpectPalette(WriteBmp(Gradient(32, 32)), 14 + 40);
}

TEST(PixelArtBmp, BottomRowIsStoredFirstAndLeftPixelInHighNibble) {
  auto result = ParsePicture("RB..\n....\nGY..\n", 4, 3);
  ASSERT_TRUE(result.picture);
  auto bytes = WriteBmp(*result.picture);
  EXPECT_EQ(bytes[kBmpPixelsAt], 0xAB);      // bottom row "GY": lime 10, yellow 11
  EXPECT_EQ(bytes[kBmpPixelsAt + 4], 0x00);  // middle row
  EXPECT_EQ(bytes[kBmpPixelsAt + 8], 0x9C);  // top row "RB": red 9, blue 12
}

struct PaddingCase {
  int width;
  std::size_t stride;
};

class PixelArtBmpPadding : public testing::TestWithParam<PaddingCase> {};

TEST_P(PixelArtBmpPadding, RowsArePaddedToFourBytesWithZeros) {
  const PaddingCase& c = GetParam();
  Picture picture{c.width, 3, std::vector<std::uint8_t>(c.width * 3, 15)};
  auto bytes = WriteBmp(picture);
  ASSERT_EQ(bytes.size(), kBmpPixelsAt + 3 * c.stride);
  EXPECT_EQ(Le(bytes, 2, 4), bytes.size());
  EXPECT_EQ(Le(bytes, 34, 4), 3 * c.stride);
  std::size_t used = (c.width + 1) / 2;
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t i = 0; i < c.stride; ++i) {
      std::uint8_t expected = i < used ? 0xFF : 0x00;
      if (i + 1 == used && c.width % 2 == 1) expected = 0xF0;  // odd width: low nibble unused
      EXPECT_EQ(bytes[kBmpPixelsAt + row * c.stride + i], expected) << "row " << row << " " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, PixelArtBmpPadding,
                         testing::Values(PaddingCase{1, 4}, PaddingCase{5, 4}, PaddingCase{8, 4},
                                         PaddingCase{9, 8}, PaddingCase{16, 8}, PaddingCase{32, 16},
                                         PaddingCase{33, 20}));

TEST(PixelArtBmp, RoundTripsEveryIndex) {
  for (auto [width, height] : std::vector<std::pair<int, int>>{{32, 32}, {7, 3}, {16, 16}}) {
    Picture picture = Gradient(width, height);
    auto bytes = WriteBmp(picture);
    EXPECT_EQ(DecodeRows(bytes, Le(bytes, 10, 4), width, height), picture.indices)
        << width << " x " << height;
  }
}

TEST(PixelArtIco, DirectoryEntryAndHeader) {
  auto bytes = WriteIco(Gradient(16, 16));
  std::uint32_t xor_bytes = 8 * 16, and_bytes = 4 * 16;
  std::uint32_t resource = 40 + 64 + xor_bytes + and_bytes;
  ASSERT_EQ(bytes.size(), kIcoDibAt + resource);
  ExpectFields(bytes, {{"reserved", 0, 2, 0},
                       {"type icon", 2, 2, 1},
                       {"count", 4, 2, 1},
                       {"width", 6, 1, 16},
                       {"height", 7, 1, 16},
                       {"colour count", 8, 1, 16},
                       {"entry reserved", 9, 1, 0},
                       {"planes", 10, 2, 1},
                       {"bit count", 12, 2, 4},
                       {"bytes in resource", 14, 4, resource},
                       {"image offset", 18, 4, kIcoDibAt},
                       {"header size", kIcoDibAt, 4, 40},
                       {"dib width", kIcoDibAt + 4, 4, 16},
                       {"dib height (colour + mask)", kIcoDibAt + 8, 4, 32},
                       {"dib planes", kIcoDibAt + 12, 2, 1},
                       {"dib bits", kIcoDibAt + 14, 2, 4},
                       {"compression", kIcoDibAt + 16, 4, 0},
                       {"image size", kIcoDibAt + 20, 4, xor_bytes + and_bytes},
                       {"colours used", kIcoDibAt + 32, 4, 16}});
  ExpectPalette(bytes, kIcoDibAt + 40);
}

TEST(PixelArtIco, ColourRowsBottomUpThenAnOpaqueMask) {
  Picture picture = Gradient(16, 16);
  auto bytes = WriteIco(picture);
  EXPECT_EQ(DecodeRows(bytes, kIcoPixelsAt, 16, 16), picture.indices);
  std::size_t mask_at = kIcoPixelsAt + 8 * 16;
  ASSERT_EQ(bytes.size(), mask_at + 4 * 16);  // 16 mask bits a row, padded to 32
  for (std::size_t i = mask_at; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(PixelArtIco, TopAndBottomRowsAreNotSwapped) {
  Picture picture{16, 16, std::vector<std::uint8_t>(256, 0)};
  for (int x = 0; x < 16; ++x) picture.indices[x] = 9;  // top row red
  auto bytes = WriteIco(picture);
  EXPECT_EQ(bytes[kIcoPixelsAt], 0x00);           // first stored row: the bottom one
  EXPECT_EQ(bytes[kIcoPixelsAt + 8 * 15], 0x99);  // last stored row: the top one
}

}  // namespace
}  // namespace zorsav::pixelart
