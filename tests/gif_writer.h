#pragma once

// Writes GIF files byte by byte, so that tests can make sound pictures and
// every kind of damaged one (fields out of range, missing colour maps, pixel
// values past the map) that a well-behaved encoder refuses to write.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace terravue::testing {

struct GifSpec {
  int screen_width = 0;
  int screen_height = 0;
  int left = 0;
  int top = 0;
  int width = 0;  // of the frame
  int height = 0;
  int global_colors = 4;  // a power of two from 2 to 256, or 0 for no map
  int local_colors = 0;
  bool interlaced = false;
  // One index per frame pixel, rows top to bottom (the writer interlaces).
  std::vector<uint8_t> pixels;
  // 0: the smallest size that holds the colour map's indices.
  int min_code_size = 0;
  uint8_t background = 0;
};

// The colour at index i of every map the writer makes.
inline uint32_t GifColor(int i) {
  const uint8_t r = static_cast<uint8_t>(i * 37 + 10);
  const uint8_t g = static_cast<uint8_t>(250 - i * 29);
  const uint8_t b = static_cast<uint8_t>(i * 91 + 3);
  return r | (g << 8) | (b << 16);
}

namespace internal {

inline void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

inline int SizeField(int colors) {
  int field = 0;
  while ((2 << field) < colors) ++field;
  return field;
}

inline void PutMap(std::vector<uint8_t>& out, int colors) {
  const int entries = 2 << SizeField(colors);
  for (int i = 0; i < entries; ++i) {
    const uint32_t c = GifColor(i);
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
  }
}

}  // namespace internal

inline std::vector<uint8_t> WriteGif(const GifSpec& spec) {
  using internal::Put16;
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, spec.screen_width);
  Put16(out, spec.screen_height);
  out.push_back(spec.global_colors
                    ? static_cast<uint8_t>(0x80 | 0x70 | internal::SizeField(spec.global_colors))
                    : 0);
  out.push_back(spec.background);
  out.push_back(0);
  if (spec.global_colors) internal::PutMap(out, spec.global_colors);

  out.push_back(0x2C);
  Put16(out, spec.left);
  Put16(out, spec.top);
  Put16(out, spec.width);
  Put16(out, spec.height);
  uint8_t flags = spec.interlaced ? 0x40 : 0;
  if (spec.local_colors) flags |= static_cast<uint8_t>(0x80 | internal::SizeField(spec.local_colors));
  out.push_back(flags);
  if (spec.local_colors) internal::PutMap(out, spec.local_colors);

  // The frame's rows in stored order.
  std::vector<uint8_t> stored;
  auto put_row = [&](int y) {
    // A spec may hold fewer pixels than its frame: the stream then ends early.
    for (int x = 0; x < spec.width; ++x) {
      const size_t i = static_cast<size_t>(y) * spec.width + x;
      if (i < spec.pixels.size()) stored.push_back(spec.pixels[i]);
    }
  };
  if (spec.interlaced) {
    const int start[] = {0, 4, 2, 1};
    const int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = start[pass]; y < spec.height; y += step[pass]) put_row(y);
    }
  } else {
    for (int y = 0; y < spec.height; ++y) put_row(y);
  }

  // LZW without compression: a clear code before the table would widen the
  // codes, so every code has min_code_size + 1 bits.
  int colors = spec.local_colors ? spec.local_colors : spec.global_colors;
  int min_code = spec.min_code_size;
  if (min_code == 0) min_code = std::max(2, internal::SizeField(colors ? colors : 2) + 1);
  const int clear = 1 << min_code;
  const int width = min_code + 1;
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  int nbits = 0;
  auto emit = [&](int code) {
    bits |= static_cast<uint32_t>(code) << nbits;
    nbits += width;
    while (nbits >= 8) {
      bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
      bits >>= 8;
      nbits -= 8;
    }
  };
  int run = 0;
  emit(clear);
  for (uint8_t p : stored) {
    if (run == clear - 2) {
      emit(clear);
      run = 0;
    }
    emit(p);
    ++run;
  }
  emit(clear + 1);
  if (nbits > 0) bytes.push_back(static_cast<uint8_t>(bits & 0xFF));

  out.push_back(static_cast<uint8_t>(min_code));
  for (size_t at = 0; at < bytes.size(); at += 255) {
    const size_t n = std::min<size_t>(255, bytes.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

// A w x h picture, screen and frame alike, with index(x, y) at each pixel.
template <typename IndexOf>
GifSpec WholeFrame(int w, int h, int colors, IndexOf index_of) {
  GifSpec spec;
  spec.screen_width = spec.width = w;
  spec.screen_height = spec.height = h;
  spec.global_colors = colors;
  spec.pixels.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) spec.pixels[static_cast<size_t>(y) * w + x] = index_of(x, y);
  }
  return spec;
}

}  // namespace terravue::testing
