#include "tools/pixelart/writers.h"

#include "tools/pixelart/palette.h"

namespace zorsav::pixelart {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPaletteBytes = 4 * kPaletteSize;
constexpr std::uint32_t kIconDirSize = 6 + 16;
constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

class ByteWriter {
 public:
  void U8(std::uint32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
  void U16(std::uint32_t value) {
    U8(value & 0xFF);
    U8((value >> 8) & 0xFF);
  }
  void U32(std::uint32_t value) {
    U16(value & 0xFFFF);
    U16(value >> 16);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::uint32_t Stride(int width, int bits_per_pixel) {
  return ((static_cast<std::uint32_t>(width) * bits_per_pixel + 31) / 32) * 4;
}

std::uint32_t ColourBytes(const Picture& picture) {
  return Stride(picture.width, 4) * static_cast<std::uint32_t>(picture.height);
}

std::uint32_t MaskBytes(const Picture& picture) {
  return Stride(picture.width, 1) * static_cast<std::uint32_t>(picture.height);
}

void WriteInfoHeader(ByteWriter& out, const Picture& picture, int header_height,
                     std::uint32_t image_size) {
  out.U32(kInfoHeaderSize);
  out.U32(static_cast<std::uint32_t>(picture.width));
  out.U32(static_cast<std::uint32_t>(header_height));
  out.U16(1);  // planes
  out.U16(4);  // bits per pixel
  out.U32(0);  // uncompressed
  out.U32(image_size);
  out.U32(kPixelsPerMetre);
  out.U32(kPixelsPerMetre);
  out.U32(kPaletteSize);  // colours used
  out.U32(kPaletteSize);  // colours important
}

void WritePalette(ByteWriter& out) {
  for (const Rgb& colour : kPalette) {
    out.U8(colour.blue);
    out.U8(colour.green);
    out.U8(colour.red);
    out.U8(0);
  }
}

void WriteColourRows(ByteWriter& out, const Picture& picture) {
  std::uint32_t row_bytes = (static_cast<std::uint32_t>(picture.width) + 1) / 2;
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; x += 2) {
      std::uint32_t right = x + 1 < picture.width ? picture.At(x + 1, y) : 0;
      out.U8(((picture.At(x, y) & 0x0F) << 4) | (right & 0x0F));
    }
    for (std::uint32_t pad = row_bytes; pad < Stride(picture.width, 4); ++pad) out.U8(0);
  }
}

}  // namespace

std::vector<std::uint8_t> WriteBmp(const Picture& picture) {
  std::uint32_t pixels_at = kFileHeaderSize + kInfoHeaderSize + kPaletteBytes;
  ByteWriter out;
  out.U8('B');
  out.U8('M');
  out.U32(pixels_at + ColourBytes(picture));
  out.U32(0);  // two reserved words
  out.U32(pixels_at);
  WriteInfoHeader(out, picture, picture.height, ColourBytes(picture));
  WritePalette(out);
  WriteColourRows(out, picture);
  return out.Take();
}

std::vector<std::uint8_t> WriteIco(const Picture& picture) {
  std::uint32_t image_size = ColourBytes(picture) + MaskBytes(picture);
  std::uint32_t resource_size = kInfoHeaderSize + kPaletteBytes + image_size;
  ByteWriter out;
  out.U16(0);                                                // reserved
  out.U16(1);                                                // icon
  out.U16(1);                                                // one image
  out.U8(static_cast<std::uint32_t>(picture.width) & 0xFF);  // 256 would be stored as 0
  out.U8(static_cast<std::uint32_t>(picture.height) & 0xFF);
  out.U8(kPaletteSize);
  out.U8(0);   // reserved
  out.U16(1);  // planes
  out.U16(4);  // bits per pixel
  out.U32(resource_size);
  out.U32(kIconDirSize);
  WriteInfoHeader(out, picture, picture.height * 2, image_size);
  WritePalette(out);
  WriteColourRows(out, picture);
  for (std::uint32_t i = 0; i < MaskBytes(picture); ++i) out.U8(0);  // opaque everywhere
  return out.Take();
}

}  // namespace zorsav::pixelart
