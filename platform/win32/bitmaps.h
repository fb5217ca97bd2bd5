// Device-independent bitmaps: decoding the program's BMP and ICO resources, and the table
// of bitmap handles that LoadBitmapA hands out.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/win32/types.h"

// A decoded picture, top row first, each pixel 0xAARRGGBB.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A whole .bmp file: file header, info header, palette, pixels. Uncompressed 1, 4, 8 and 24
// bits per pixel, bottom-up or top-down. Nothing for anything else or anything truncated.
std::optional<PixelImage> DecodeBmpFile(std::span<const std::uint8_t> file);
// The first image of a .ico file, with its transparency mask applied.
std::optional<PixelImage> DecodeIconFile(std::span<const std::uint8_t> file);

// Loads a bitmap resource of the program by name; null when there is none or it is broken.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);
// The pixels behind a live handle, or null.
const PixelImage* BitmapPixels(HBITMAP bitmap);
// Releases a bitmap handle. Null and unknown handles are ignored.
BOOL DeleteObject(HBITMAP bitmap);
