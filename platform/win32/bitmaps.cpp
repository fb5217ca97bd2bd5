#include "platform/win32/bitmaps.h"

#include <map>
#include <mutex>

#include "platform/win32/resources.h"

namespace {

std::uint32_t ReadLe(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

struct DibHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows stored top-down
  int bit_count = 0;
  std::uint32_t colors_used = 0;
  std::uint32_t header_size = 0;
};

std::optional<DibHeader> ReadDibHeader(std::span<const std::uint8_t> dib) {
  if (dib.size() < 40) return std::nullopt;
  DibHeader header;
  header.header_size = ReadLe(dib, 0, 4);
  header.width = static_cast<std::int32_t>(ReadLe(dib, 4, 4));
  header.height = static_cast<std::int32_t>(ReadLe(dib, 8, 4));
  header.bit_count = static_cast<int>(ReadLe(dib, 14, 2));
  std::uint32_t compression = ReadLe(dib, 16, 4);
  header.colors_used = ReadLe(dib, 32, 4);
  bool supported_depth = header.bit_count == 1 || header.bit_count == 4 || header.bit_count == 8 ||
                         header.bit_count == 24;
  if (header.header_size < 40 || header.header_size > dib.size() || compression != 0 ||
      !supported_depth || header.width <= 0 || header.width > 4096 || header.height == 0 ||
      header.height > 4096 || header.height < -4096) {
    return std::nullopt;
  }
  return header;
}

// Decodes `rows` rows of pixels that follow the palette, starting at `pixels_at`.
std::optional<PixelImage> DecodePixels(std::span<const std::uint8_t> dib, const DibHeader& header,
                                       int rows, std::size_t pixels_at) {
  std::vector<std::uint32_t> palette;
  if (header.bit_count <= 8) {
    std::size_t count = header.colors_used != 0 ? header.colors_used : (1u << header.bit_count);
    if (count > 256 || header.header_size + count * 4 > dib.size()) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t at = header.header_size + i * 4;
      palette.push_back(0xFF000000u | (dib[at + 2] << 16) | (dib[at + 1] << 8) | dib[at]);
    }
  }
  std::size_t stride = ((static_cast<std::size_t>(header.width) * header.bit_count + 31) / 32) * 4;
  if (pixels_at + stride * rows > dib.size()) return std::nullopt;
  PixelImage image{header.width, rows, {}};
  image.pixels.resize(static_cast<std::size_t>(header.width) * rows);
  bool bottom_up = header.height > 0;
  for (int row = 0; row < rows; ++row) {
    std::size_t row_at = pixels_at + stride * row;
    int y = bottom_up ? rows - 1 - row : row;
    for (int x = 0; x < header.width; ++x) {
      std::uint32_t pixel;
      if (header.bit_count == 24) {
        std::size_t at = row_at + x * 3;
        pixel = 0xFF000000u | (dib[at + 2] << 16) | (dib[at + 1] << 8) | dib[at];
      } else {
        std::size_t bit = static_cast<std::size_t>(x) * header.bit_count;
        int shift = 8 - header.bit_count - static_cast<int>(bit % 8);
        std::size_t index = (dib[row_at + bit / 8] >> shift) & ((1u << header.bit_count) - 1);
        if (index >= palette.size()) return std::nullopt;
        pixel = palette[index];
      }
      image.pixels[static_cast<std::size_t>(y) * header.width + x] = pixel;
    }
  }
  return image;
}

std::size_t PaletteBytes(const DibHeader& header) {
  if (header.bit_count > 8) return 0;
  return 4 * (header.colors_used != 0 ? header.colors_used : (1u << header.bit_count));
}

// Bitmap handles are small numbers in a table of their own.
std::mutex g_bitmaps_mutex;
std::map<std::uintptr_t, PixelImage> g_bitmaps;
std::uintptr_t g_next_bitmap = 1;

}  // namespace

std::optional<PixelImage> DecodeBmpFile(std::span<const std::uint8_t> file) {
  if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  std::size_t pixels_at = ReadLe(file, 10, 4);
  auto dib = file.subspan(14);
  auto header = ReadDibHeader(dib);
  if (!header || pixels_at < 14 || pixels_at > file.size()) return std::nullopt;
  int rows = header->height > 0 ? header->height : -header->height;
  return DecodePixels(dib, *header, rows, pixels_at - 14);
}

std::optional<PixelImage> DecodeIconFile(std::span<const std::uint8_t> file) {
  if (file.size() < 22 || ReadLe(file, 0, 2) != 0 || ReadLe(file, 2, 2) != 1 ||
      ReadLe(file, 4, 2) < 1) {
    return std::nullopt;
  }
  std::size_t size = ReadLe(file, 14, 4);
  std::size_t offset = ReadLe(file, 18, 4);
  if (offset > file.size() || size > file.size() - offset) return std::nullopt;
  auto dib = file.subspan(offset, size);
  auto header = ReadDibHeader(dib);
  if (!header || header->height <= 0 || header->height % 2 != 0) return std::nullopt;
  int rows = header->height / 2;
  std::size_t xor_at = header->header_size + PaletteBytes(*header);
  auto image = DecodePixels(dib, *header, rows, xor_at);
  if (!image) return std::nullopt;
  std::size_t xor_stride =
      ((static_cast<std::size_t>(header->width) * header->bit_count + 31) / 32) * 4;
  std::size_t and_at = xor_at + xor_stride * rows;
  std::size_t and_stride = ((static_cast<std::size_t>(header->width) + 31) / 32) * 4;
  if (and_at + and_stride * rows > dib.size()) return image;  // no mask: opaque
  for (int row = 0; row < rows; ++row) {
    int y = rows - 1 - row;
    for (int x = 0; x < header->width; ++x) {
      bool transparent = (dib[and_at + and_stride * row + x / 8] >> (7 - x % 8)) & 1;
      if (transparent) image->pixels[static_cast<std::size_t>(y) * header->width + x] = 0;
    }
  }
  return image;
}

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  if (instance != HInstance || name == nullptr) return nullptr;
  auto data = FindResourceData(name, ResourceKind::kBitmap);
  if (!data) return nullptr;
  auto image = DecodeBmpFile(*data);
  if (!image) return nullptr;
  std::lock_guard lock(g_bitmaps_mutex);
  std::uintptr_t id = g_next_bitmap++;
  g_bitmaps.emplace(id, std::move(*image));
  return reinterpret_cast<HBITMAP>(id);
}

const PixelImage* BitmapPixels(HBITMAP bitmap) {
  std::lock_guard lock(g_bitmaps_mutex);
  auto it = g_bitmaps.find(reinterpret_cast<std::uintptr_t>(bitmap));
  return it == g_bitmaps.end() ? nullptr : &it->second;
}

BOOL DeleteObject(HBITMAP bitmap) {
  std::lock_guard lock(g_bitmaps_mutex);
  return g_bitmaps.erase(reinterpret_cast<std::uintptr_t>(bitmap)) > 0 ? TRUE : FALSE;
}
