// Decoding the program's pictures, and the life of bitmap handles.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/bitmaps.h"
#include "platform/win32/resources.h"

namespace {

void PutLe(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A 3 x 2 picture, 4 bits per pixel, two palette entries; rows bottom-up.
std::vector<std::uint8_t> SmallBmp() {
  std::vector<std::uint8_t> bmp(14 + 40 + 16 * 4 + 2 * 4, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  PutLe(bmp, 2, static_cast<std::uint32_t>(bmp.size()), 4);
  PutLe(bmp, 10, 14 + 40 + 64, 4);
  PutLe(bmp, 14, 40, 4);
  PutLe(bmp, 18, 3, 4);
  PutLe(bmp, 22, 2, 4);
  PutLe(bmp, 26, 1, 2);
  PutLe(bmp, 28, 4, 2);
  PutLe(bmp, 46, 16, 4);
  // palette: 0 black, 1 red (B, G, R, 0)
  bmp[54 + 4 + 2] = 0xFF;
  std::size_t pixels = 14 + 40 + 64;
  bmp[pixels + 0] = 0x10;  // bottom row: red, black, black
  bmp[pixels + 1] = 0x00;
  bmp[pixels + 4] = 0x01;  // top row: black, red, black
  bmp[pixels + 5] = 0x00;
  return bmp;
}

TEST(BmpDecodeTest, RowsAreStoredBottomUpAndTheHighNibbleIsTheLeftPixel) {
  auto image = DecodeBmpFile(SmallBmp());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  const std::uint32_t red = 0xFFFF0000u;
  const std::uint32_t black = 0xFF000000u;
  EXPECT_EQ(image->At(0, 0), black);
  EXPECT_EQ(image->At(1, 0), red);
  EXPECT_EQ(image->At(0, 1), red);
  EXPECT_EQ(image->At(1, 1), black);
}

TEST(BmpDecodeTest, BrokenFilesGiveNothing) {
  auto bmp = SmallBmp();
  std::vector<std::vector<std::uint8_t>> broken;
  broken.push_back({});
  broken.emplace_back(bmp.begin(), bmp.begin() + 60);  // cut inside the palette
  broken.emplace_back(bmp.begin(), bmp.end() - 1);     // last row short
  auto bad_magic = bmp;
  bad_magic[0] = 'X';
  broken.push_back(bad_magic);
  auto compressed = bmp;
  PutLe(compressed, 30, 2, 4);
  broken.push_back(compressed);
  auto huge = bmp;
  PutLe(huge, 18, 100000, 4);
  broken.push_back(huge);
  for (const auto& file : broken) EXPECT_FALSE(DecodeBmpFile(file).has_value());
}

TEST(BitmapHandleTest, MissingResourceGivesNoHandle) {
  std::vector<std::uint8_t> bmp = SmallBmp();
  ResourceEntry entries[] = {{"B3", ResourceKind::kBitmap, bmp.data(), bmp.size()}};
  RegisterResources(entries);
  EXPECT_EQ(LoadBitmapA(HInstance, "B9"), nullptr);
  EXPECT_EQ(LoadBitmapA(nullptr, "B3"), nullptr);
  HBITMAP bitmap = LoadBitmapA(HInstance, "b3");  // resource names ignore case
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(BitmapPixels(bitmap)->width, 3);
  EXPECT_EQ(DeleteObject(bitmap), TRUE);
  EXPECT_EQ(BitmapPixels(bitmap), nullptr);
  EXPECT_EQ(DeleteObject(bitmap), FALSE);
  RegisterResources(EmbeddedResources());
}

TEST(EmbeddedResourcesTest, EveryMonsterPictureIs32By32) {
  RegisterResources(EmbeddedResources());
  for (const char* name : {"B1", "B2", "B3", "B4", "B5"}) {
    auto data = FindResourceData(name, ResourceKind::kBitmap);
    ASSERT_TRUE(data.has_value()) << name;
    auto image = DecodeBmpFile(*data);
    ASSERT_TRUE(image.has_value()) << name;
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
  }
  auto icon = FindResourceData("MAINICON", ResourceKind::kIcon);
  ASSERT_TRUE(icon.has_value());
  auto image = DecodeIconFile(*icon);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 16);
  EXPECT_EQ(image->height, 16);
}

}  // namespace
