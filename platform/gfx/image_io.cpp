#include "platform/gfx/image_io.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <fstream>
#include <vector>

namespace tv::gfx {

namespace {

constexpr int kMaxDimension = 16384;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// The largest file ReadBmpFile accepts: a 32-bit image of the largest
// dimensions plus its headers.
constexpr uint64_t kMaxFileSize =
    static_cast<uint64_t>(kMaxDimension) * kMaxDimension * 4 + 4096;

uint16_t Read16(std::span<const uint8_t> d, size_t at) {
  return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}

uint32_t Read32(std::span<const uint8_t> d, size_t at) {
  return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
         (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

// One colour channel of a BI_BITFIELDS (or 16-bit 5-5-5) pixel, scaled to 8
// bits whatever the width of its mask.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (mask != 0) {
      shift = std::countr_zero(mask);
      max = mask >> shift;
    }
  }
  uint8_t Extract(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint64_t v = (pixel & mask) >> shift;
    return static_cast<uint8_t>(v * 255 / max);
  }
};

struct BmpHeader {
  int64_t width = 0;
  int64_t height = 0;  // negative for top-down rows
  int bpp = 0;
  uint32_t compression = kBiRgb;
  uint32_t colors_used = 0;
  size_t palette_offset = 0;
  size_t palette_entry_size = 4;
  uint32_t masks[3] = {0, 0, 0};
};

// Parses the info header that follows the file header; false when it is not
// one this reader understands or does not fit in the data.
bool ParseHeader(std::span<const uint8_t> data, BmpHeader& h) {
  if (data.size() < kFileHeaderSize + 4) return false;
  const uint32_t header_size = Read32(data, kFileHeaderSize);
  if (header_size == kCoreHeaderSize) {
    if (data.size() < kFileHeaderSize + kCoreHeaderSize) return false;
    h.width = Read16(data, 18);
    h.height = Read16(data, 20);
    if (Read16(data, 22) != 1) return false;
    h.bpp = Read16(data, 24);
    h.palette_offset = kFileHeaderSize + kCoreHeaderSize;
    h.palette_entry_size = 3;
    return true;
  }
  // BITMAPINFOHEADER and its V2, V3, V4 and V5 extensions share the first
  // 40 bytes.
  if (header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
      header_size != 124) {
    return false;
  }
  if (data.size() < kFileHeaderSize + header_size) return false;
  h.width = static_cast<int32_t>(Read32(data, 18));
  h.height = static_cast<int32_t>(Read32(data, 22));
  if (Read16(data, 26) != 1) return false;
  h.bpp = Read16(data, 28);
  h.compression = Read32(data, 30);
  h.colors_used = Read32(data, 46);
  h.palette_offset = kFileHeaderSize + header_size;
  if (h.compression == kBiBitfields) {
    size_t masks_at = kFileHeaderSize + kInfoHeaderSize;
    if (header_size == kInfoHeaderSize) {
      // The masks follow a plain info header, ahead of any palette.
      if (data.size() < masks_at + 12) return false;
      h.palette_offset += 12;
    }
    for (int i = 0; i < 3; ++i) h.masks[i] = Read32(data, masks_at + 4 * i);
  }
  return true;
}

}  // namespace

std::optional<Bitmap> ReadBmp(std::span<const uint8_t> data) {
  if (data.size() < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const uint32_t pixel_offset = Read32(data, 10);
  BmpHeader h;
  if (!ParseHeader(data, h)) return std::nullopt;

  const bool top_down = h.height < 0;
  const int64_t width = h.width;
  const int64_t height = top_down ? -h.height : h.height;
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) {
    return std::nullopt;
  }
  const int bpp = h.bpp;
  const bool indexed = bpp == 1 || bpp == 4 || bpp == 8;
  if (h.compression == kBiRgb) {
    if (!indexed && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
  } else if (h.compression == kBiBitfields) {
    if (bpp != 16 && bpp != 32) return std::nullopt;
  } else {
    return std::nullopt;
  }

  std::vector<Color> palette;
  if (indexed) {
    const uint32_t capacity = 1u << bpp;
    const uint32_t count =
        (h.colors_used == 0 || h.colors_used > capacity) ? capacity : h.colors_used;
    const uint64_t palette_end =
        static_cast<uint64_t>(h.palette_offset) + static_cast<uint64_t>(count) * h.palette_entry_size;
    if (palette_end > data.size()) return std::nullopt;
    palette.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = h.palette_offset + static_cast<size_t>(i) * h.palette_entry_size;
      palette.push_back({data[at + 2], data[at + 1], data[at]});
    }
  }

  // Rows are padded to four bytes; the last row's padding may be missing.
  const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
  const uint64_t row_bytes = (static_cast<uint64_t>(width) * bpp + 7) / 8;
  if (pixel_offset < h.palette_offset) return std::nullopt;
  if (static_cast<uint64_t>(pixel_offset) + stride * static_cast<uint64_t>(height - 1) + row_bytes >
      data.size()) {
    return std::nullopt;
  }

  const int w = static_cast<int>(width);
  const int ht = static_cast<int>(height);
  PixelFormat format = PixelFormat::kRgb888;
  if (indexed) format = bpp == 8 ? PixelFormat::kIndexed8 : PixelFormat::kIndexed4;
  Bitmap bitmap(w, ht, format);
  if (indexed) bitmap.SetPalette(palette);

  uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
  if (h.compression == kBiRgb && bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  const Channel red(masks[0]);
  const Channel green(masks[1]);
  const Channel blue(masks[2]);

  for (int y = 0; y < ht; ++y) {
    const int row_index = top_down ? y : ht - 1 - y;
    const uint8_t* row = data.data() + pixel_offset + stride * static_cast<uint64_t>(row_index);
    for (int x = 0; x < w; ++x) {
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          const int bit = x * bpp;
          const int shift = 8 - bpp - (bit & 7);
          uint32_t index = (row[bit >> 3] >> shift) & ((1u << bpp) - 1);
          // An index past the palette is read as its first colour.
          if (index >= palette.size()) index = 0;
          bitmap.SetIndex(x, y, static_cast<uint8_t>(index));
          break;
        }
        case 16: {
          const uint32_t v = row[x * 2] | (row[x * 2 + 1] << 8);
          bitmap.Store(x, y, {red.Extract(v), green.Extract(v), blue.Extract(v)});
          break;
        }
        case 24: {
          const uint8_t* p = row + static_cast<size_t>(x) * 3;
          bitmap.Store(x, y, {p[2], p[1], p[0]});
          break;
        }
        case 32: {
          const uint8_t* p = row + static_cast<size_t>(x) * 4;
          if (h.compression == kBiBitfields) {
            const uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
            bitmap.Store(x, y, {red.Extract(v), green.Extract(v), blue.Extract(v)});
          } else {
            bitmap.Store(x, y, {p[2], p[1], p[0]});
          }
          break;
        }
      }
    }
  }
  return bitmap;
}

std::optional<Bitmap> ReadBmpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxFileSize) return std::nullopt;
  in.seekg(0, std::ios::beg);
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(data.data()), size)) return std::nullopt;
  return ReadBmp(data);
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

bool WriteBmpFile(const Bitmap& bitmap, const std::string& path) {
  if (bitmap.IsEmpty()) return false;
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  int bpp = 24;
  if (bitmap.Format() == PixelFormat::kIndexed4) bpp = 4;
  if (bitmap.Format() == PixelFormat::kIndexed8) bpp = 8;
  const uint32_t palette_entries = bpp == 24 ? 0 : (1u << bpp);
  const uint64_t stride = (static_cast<uint64_t>(w) * bpp + 31) / 32 * 4;
  const uint64_t pixel_offset = kFileHeaderSize + kInfoHeaderSize + palette_entries * 4;
  const uint64_t file_size = pixel_offset + stride * static_cast<uint64_t>(h);
  if (file_size > UINT32_MAX) return false;

  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(file_size));
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(file_size));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(pixel_offset));
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bpp));
  Put32(out, kBiRgb);
  Put32(out, static_cast<uint32_t>(stride * h));
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, palette_entries);
  Put32(out, 0);
  for (uint32_t i = 0; i < palette_entries; ++i) {
    const Color c = i < bitmap.Palette().size() ? bitmap.Palette()[i] : kBlack;
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  std::vector<uint8_t> row(static_cast<size_t>(stride));
  for (int y = h - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < w; ++x) {
      if (bpp == 4) {
        row[x / 2] |= static_cast<uint8_t>((bitmap.Index(x, y) & 0x0F) << (x % 2 == 0 ? 4 : 0));
      } else if (bpp == 8) {
        row[x] = bitmap.Index(x, y);
      } else {
        const Color c = bitmap.Load(x, y);
        row[x * 3] = c.b;
        row[x * 3 + 1] = c.g;
        row[x * 3 + 2] = c.r;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  file.close();
  return !file.fail();
}

bool WritePngFile(const Bitmap& bitmap, const std::string& path) {
  if (bitmap.IsEmpty()) return false;
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pixels.data() + static_cast<size_t>(y) * w * 3;
    for (int x = 0; x < w; ++x) {
      const Color c = bitmap.Load(x, y);
      row[x * 3] = c.r;
      row[x * 3 + 1] = c.g;
      row[x * 3 + 2] = c.b;
    }
  }
  // libpng's simplified interface handles its own error recovery, so no
  // setjmp/longjmp crosses this function's C++ objects.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  const int ok = png_image_write_to_file(&image, path.c_str(), 0, pixels.data(),
                                         static_cast<png_int_32>(w) * 3, nullptr);
  png_image_free(&image);
  return ok != 0;
}

}  // namespace tv::gfx
