#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/gfx/geometry.h"

namespace tv::gfx {

// How a surface keeps its pixels. Each format converts colours in exactly one
// Store/Load pair, so 5-6-5 quantisation happens in one place.
enum class PixelFormat {
  kIndexed4,  // 16-colour palette, one byte per pixel in memory
  kIndexed8,  // 256-colour palette
  kRgb565,    // 16-bit display format: reads back 248 for a full red
  kRgb888,    // full colour
};

// A 5-6-5 pixel as the colour it reads back as: the low bits stay zero, so a
// full red reads 248.
constexpr Color Expand565(uint16_t v) {
  return {static_cast<uint8_t>((v >> 11) << 3), static_cast<uint8_t>(((v >> 5) & 0x3F) << 2),
          static_cast<uint8_t>((v & 0x1F) << 3)};
}

// A rectangular pixel surface: a palettised or RGB bitmap, or the display's
// framebuffer. Pixel accessors do not check bounds; Canvas clips first.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, PixelFormat format);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Size GetSize() const { return {width_, height_}; }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  PixelFormat Format() const { return format_; }
  bool IsIndexed() const {
    return format_ == PixelFormat::kIndexed4 || format_ == PixelFormat::kIndexed8;
  }
  bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }

  // Palette of an indexed bitmap (16 or 256 entries).
  std::span<const Color> Palette() const { return palette_; }
  void SetPalette(std::span<const Color> palette);

  // Unchecked pixel access; (x, y) must lie inside Bounds().
  void Store(int x, int y, Color c);
  Color Load(int x, int y) const {
    const size_t i = static_cast<size_t>(y) * width_ + x;
    switch (format_) {
      case PixelFormat::kIndexed4:
      case PixelFormat::kIndexed8:
        return palette_[pixels8_[i]];
      case PixelFormat::kRgb565:
        return Expand565(pixels16_[i]);
      case PixelFormat::kRgb888:
        return Color::FromRef(pixels32_[i]);
    }
    return {};
  }
  // Palette index of an indexed bitmap's pixel.
  uint8_t Index(int x, int y) const { return pixels8_[static_cast<size_t>(y) * width_ + x]; }
  void SetIndex(int x, int y, uint8_t index);

  // The colour this surface would hold if `c` were stored in it.
  Color Quantize(Color c) const;

  void Fill(Color c);
  // Fills `r`, which must lie inside Bounds(), converting the colour once.
  void FillRect(const Rect& r, Color c);

 private:
  uint8_t NearestIndex(Color c) const;

  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::kRgb888;
  std::vector<Color> palette_;
  std::vector<uint8_t> pixels8_;
  std::vector<uint16_t> pixels16_;
  std::vector<uint32_t> pixels32_;
  // The last colour looked up in the palette and its nearest index.
  mutable Color nearest_cache_color_;
  mutable uint8_t nearest_cache_index_ = 0;
  mutable bool nearest_cache_valid_ = false;
};

// The standard 16-colour palette (black, maroon, green, olive, navy, purple,
// teal, silver, grey, red, lime, yellow, blue, fuchsia, aqua, white) of the
// program's 16-colour artwork.
std::span<const Color> Vga16Palette();

}  // namespace tv::gfx
