#include "platform/gfx/bitmap.h"

#include <algorithm>
#include <array>

#include "platform/base/check.h"

namespace tv::gfx {

namespace {

constexpr std::array<Color, 16> kVga16 = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

size_t PaletteCapacity(PixelFormat format) {
  return format == PixelFormat::kIndexed4 ? 16 : 256;
}

uint16_t To565(Color c) {
  return static_cast<uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}

int SquaredDistance(Color a, Color b) {
  const int dr = a.r - b.r;
  const int dg = a.g - b.g;
  const int db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

}  // namespace

std::span<const Color> Vga16Palette() { return kVga16; }

Bitmap::Bitmap(int width, int height, PixelFormat format)
    : width_(width), height_(height), format_(format) {
  TV_CHECK(width >= 0 && height >= 0);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  switch (format) {
    case PixelFormat::kIndexed4:
    case PixelFormat::kIndexed8:
      // Both indexed formats start out with the 16 standard colours; the
      // rest of an 8-bit palette is black until the owner sets it.
      palette_.assign(PaletteCapacity(format), kBlack);
      std::copy(kVga16.begin(), kVga16.end(), palette_.begin());
      pixels8_.assign(count, 0);
      break;
    case PixelFormat::kRgb565:
      pixels16_.assign(count, 0);
      break;
    case PixelFormat::kRgb888:
      pixels32_.assign(count, 0);
      break;
  }
}

void Bitmap::SetPalette(std::span<const Color> palette) {
  TV_CHECK(IsIndexed());
  // The palette always keeps its full size so that every index a pixel can
  // hold stays valid; missing entries are black, extra ones are dropped.
  const size_t capacity = PaletteCapacity(format_);
  const size_t n = std::min(palette.size(), capacity);
  std::copy_n(palette.begin(), n, palette_.begin());
  std::fill(palette_.begin() + static_cast<ptrdiff_t>(n), palette_.end(), kBlack);
  nearest_cache_valid_ = false;
}

uint8_t Bitmap::NearestIndex(Color c) const {
  // Drawing stores the same colour many times in a row, so the last answer
  // is remembered.
  if (nearest_cache_valid_ && nearest_cache_color_ == c) return nearest_cache_index_;
  size_t best = 0;
  int best_distance = SquaredDistance(palette_[0], c);
  for (size_t i = 1; i < palette_.size() && best_distance != 0; ++i) {
    const int d = SquaredDistance(palette_[i], c);
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  nearest_cache_color_ = c;
  nearest_cache_index_ = static_cast<uint8_t>(best);
  nearest_cache_valid_ = true;
  return nearest_cache_index_;
}

void Bitmap::Store(int x, int y, Color c) {
  const size_t i = static_cast<size_t>(y) * width_ + x;
  switch (format_) {
    case PixelFormat::kIndexed4:
    case PixelFormat::kIndexed8:
      pixels8_[i] = NearestIndex(c);
      break;
    case PixelFormat::kRgb565:
      pixels16_[i] = To565(c);
      break;
    case PixelFormat::kRgb888:
      pixels32_[i] = c.ToRef();
      break;
  }
}

void Bitmap::SetIndex(int x, int y, uint8_t index) {
  TV_CHECK(IsIndexed() && index < palette_.size());
  pixels8_[static_cast<size_t>(y) * width_ + x] = index;
}

Color Bitmap::Quantize(Color c) const {
  switch (format_) {
    case PixelFormat::kIndexed4:
    case PixelFormat::kIndexed8:
      return palette_[NearestIndex(c)];
    case PixelFormat::kRgb565: {
      return Expand565(To565(c));
    }
    case PixelFormat::kRgb888:
      return c;
  }
  return c;
}

void Bitmap::Fill(Color c) {
  switch (format_) {
    case PixelFormat::kIndexed4:
    case PixelFormat::kIndexed8:
      std::fill(pixels8_.begin(), pixels8_.end(), NearestIndex(c));
      break;
    case PixelFormat::kRgb565:
      std::fill(pixels16_.begin(), pixels16_.end(), To565(c));
      break;
    case PixelFormat::kRgb888:
      std::fill(pixels32_.begin(), pixels32_.end(), c.ToRef());
      break;
  }
}

void Bitmap::FillRect(const Rect& r, Color c) {
  if (r.IsEmpty()) return;
  TV_CHECK(r.left >= 0 && r.top >= 0 && r.right <= width_ && r.bottom <= height_);
  for (int y = r.top; y < r.bottom; ++y) {
    const size_t row = static_cast<size_t>(y) * width_;
    switch (format_) {
      case PixelFormat::kIndexed4:
      case PixelFormat::kIndexed8:
        std::fill_n(pixels8_.begin() + row + r.left, r.Width(), NearestIndex(c));
        break;
      case PixelFormat::kRgb565:
        std::fill_n(pixels16_.begin() + row + r.left, r.Width(), To565(c));
        break;
      case PixelFormat::kRgb888:
        std::fill_n(pixels32_.begin() + row + r.left, r.Width(), c.ToRef());
        break;
    }
  }
}

}  // namespace tv::gfx
