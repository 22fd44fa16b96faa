#include <gtest/gtest.h>

#include "tests/test_env.h"
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"
#include "platform/gfx/image_io.h"

namespace tv::gfx {

// Lets failures print colours as numbers.
void PrintTo(const Color& c, std::ostream* os) {
  *os << "(" << int{c.r} << "," << int{c.g} << "," << int{c.b} << ")";
}

namespace {

constexpr Color kBlue{0, 0, 255};
constexpr Color kGreen{0, 255, 0};

// Every pixel of `b` as a string of one letter per pixel, rows separated by
// '|', using `key` to name colours ('?' for any other).
std::string Picture(const Bitmap& b, const std::vector<std::pair<Color, char>>& key) {
  std::string out;
  for (int y = 0; y < b.Height(); ++y) {
    if (y > 0) out += '|';
    for (int x = 0; x < b.Width(); ++x) {
      char ch = '?';
      for (const auto& [color, letter] : key) {
        if (b.Load(x, y) == color) ch = letter;
      }
      out += ch;
    }
  }
  return out;
}

const std::vector<std::pair<Color, char>> kKey = {
    {kWhite, '.'}, {kBlack, 'k'}, {kRed, 'r'}, {kBlue, 'b'}, {kGreen, 'g'}};

Bitmap WhiteBitmap(int w, int h, PixelFormat format = PixelFormat::kRgb888) {
  Bitmap b(w, h, format);
  b.Fill(kWhite);
  return b;
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("gfx_test_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

TEST(BitmapTest, Rgb565QuantisesAsTheDisplayDoes) {
  Bitmap b(2, 2, PixelFormat::kRgb565);
  b.Store(0, 0, kRed);
  b.Store(1, 0, kGreen);
  b.Store(0, 1, kWhite);
  b.Store(1, 1, Color{7, 3, 7});
  EXPECT_EQ(b.Load(0, 0), (Color{248, 0, 0}));
  EXPECT_EQ(b.Load(1, 0), (Color{0, 252, 0}));
  EXPECT_EQ(b.Load(0, 1), (Color{248, 252, 248}));
  EXPECT_EQ(b.Load(1, 1), kBlack);
  EXPECT_EQ(b.Quantize(kRed), (Color{248, 0, 0}));
  EXPECT_EQ(Bitmap(1, 1, PixelFormat::kRgb888).Quantize(Color{1, 2, 3}), (Color{1, 2, 3}));
}

TEST(BitmapTest, IndexedStoresExactOrNearestPaletteColour) {
  Bitmap b(3, 1, PixelFormat::kIndexed4);
  ASSERT_EQ(b.Palette().size(), 16u);
  EXPECT_EQ(b.Palette()[1], (Color{128, 0, 0}));
  EXPECT_EQ(b.Palette()[7], kSilver);
  EXPECT_EQ(b.Palette()[10], kGreen);
  b.Store(0, 0, Color{0, 0, 128});
  b.Store(1, 0, Color{250, 10, 5});
  b.Store(2, 0, Color{100, 100, 110});
  EXPECT_EQ(b.Index(0, 0), 4);
  EXPECT_EQ(b.Load(1, 0), kRed);
  EXPECT_EQ(b.Load(2, 0), kGrey);
  EXPECT_EQ(b.Quantize(Color{200, 190, 195}), kSilver);

  Bitmap b8(2, 1, PixelFormat::kIndexed8);
  ASSERT_EQ(b8.Palette().size(), 256u);
  EXPECT_EQ(b8.Palette()[15], kWhite);
  std::vector<Color> palette(256, kBlack);
  palette[200] = Color{10, 20, 30};
  b8.SetPalette(palette);
  b8.Store(0, 0, Color{11, 21, 29});
  EXPECT_EQ(b8.Index(0, 0), 200);
  // Changing the palette must not leave a stale nearest-colour answer.
  palette[200] = kWhite;
  palette[201] = Color{11, 21, 29};
  b8.SetPalette(palette);
  b8.Store(1, 0, Color{11, 21, 29});
  EXPECT_EQ(b8.Index(1, 0), 201);

  // A short palette is padded with black, keeping every index valid.
  Bitmap small(1, 1, PixelFormat::kIndexed4);
  const Color two[] = {kWhite, kRed};
  small.SetPalette(two);
  ASSERT_EQ(small.Palette().size(), 16u);
  EXPECT_EQ(small.Palette()[2], kBlack);
  small.Fill(Color{240, 10, 10});
  EXPECT_EQ(small.Index(0, 0), 1);
}

TEST(CanvasTest, FillRectExcludesRightAndBottomEdges) {
  Bitmap b = WhiteBitmap(4, 4);
  Canvas c(b);
  c.FillRect({1, 1, 3, 3}, kRed);
  EXPECT_EQ(Picture(b, kKey), "....|.rr.|.rr.|....");
  c.FillRect({3, 3, 3, 4}, kBlue);  // zero width: nothing
  c.FillRect({2, 0, 1, 4}, kBlue);  // inverted: nothing
  EXPECT_EQ(Picture(b, kKey), "....|.rr.|.rr.|....");
}

TEST(CanvasTest, SolidFillsMatchSinglePixelStoresInEveryFormat) {
  for (PixelFormat format : {PixelFormat::kIndexed4, PixelFormat::kIndexed8, PixelFormat::kRgb565,
                             PixelFormat::kRgb888}) {
    Bitmap filled(7, 5, format);
    Bitmap stored(7, 5, format);
    const Color odd{200, 100, 37};  // not in any palette: quantised alike
    Canvas(filled).FillRect({1, 2, 6, 5}, odd);
    for (int y = 2; y < 5; ++y) {
      for (int x = 1; x < 6; ++x) stored.Store(x, y, odd);
    }
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(filled.Load(x, y), stored.Load(x, y))
            << static_cast<int>(format) << " at " << x << "," << y;
      }
    }
  }
}

TEST(CanvasTest, OnePixelRectsAtSurfaceAndClipEdges) {
  Bitmap b = WhiteBitmap(4, 3);
  Canvas c(b);
  c.FillRect({0, 0, 1, 1}, kRed);
  c.FillRect({3, 2, 4, 3}, kBlue);
  c.FillRect({4, 0, 5, 1}, kGreen);    // just off the right edge
  c.FillRect({-1, 2, 0, 3}, kGreen);   // just off the left edge
  c.FillRect({0, 3, 1, 4}, kGreen);    // just below
  EXPECT_EQ(Picture(b, kKey), "r...|....|...b");

  Bitmap d = WhiteBitmap(5, 5);
  Canvas clipped(d, {}, {1, 1, 4, 4});
  clipped.FillRect({3, 3, 4, 4}, kRed);  // last pixel inside the clip
  clipped.FillRect({4, 1, 5, 2}, kBlue);  // first pixel right of the clip
  clipped.FillRect({0, 0, 1, 1}, kBlue);  // outside, top-left
  clipped.FillRect({1, 0, 2, 1}, kBlue);  // just above
  clipped.FillRect({1, 1, 2, 2}, kGreen);  // first pixel inside
  EXPECT_EQ(Picture(d, kKey), ".....|.g...|.....|...r.|.....");
}

TEST(CanvasTest, DrawingOutsideTheClipChangesNothing) {
  Bitmap b = WhiteBitmap(6, 6);
  const Bitmap before = b;
  Canvas c(b, {}, {2, 2, 4, 4});
  c.FillRect({0, 0, 2, 6}, kRed);
  c.FillRect({4, 0, 6, 6}, kRed);
  c.SetPixel({1, 1}, kRed);
  c.SetPixel({4, 4}, kRed);
  c.Rectangle({0, 0, 2, 2});
  c.Line({0, 5}, {6, 5});
  Bitmap src = WhiteBitmap(2, 2);
  src.Fill(kBlue);
  c.Blit({4, 4}, src, src.Bounds());
  c.StretchBlit({0, 0, 2, 6}, src, src.Bounds());
  EXPECT_EQ(Picture(b, kKey), Picture(before, kKey));

  // An origin shifts logical coordinates but not the clip.
  Canvas shifted(b, {3, 3}, {2, 2, 4, 4});
  EXPECT_EQ(shifted.ClipBox(), (Rect{-1, -1, 1, 1}));
  shifted.FillRect({-5, -5, 5, 5}, kRed);
  EXPECT_EQ(Picture(b, kKey), "......|......|..rr..|..rr..|......|......");
}

TEST(CanvasTest, RectangleOutlinesWithPenAndFillsInsideWithBrush) {
  Bitmap b = WhiteBitmap(6, 5);
  Canvas c(b);
  c.SetPen({Pen::Style::kSolid, kBlack});
  c.SetBrush(Brush::Solid(kRed));
  c.Rectangle({1, 0, 5, 4});
  EXPECT_EQ(Picture(b, kKey), ".kkkk.|.krrk.|.krrk.|.kkkk.|......");

  c.SetPen({Pen::Style::kNone, kBlack});
  c.SetBrush(Brush::Solid(kBlue));
  c.Rectangle({0, 4, 3, 5});
  EXPECT_EQ(Picture(b, kKey), ".kkkk.|.krrk.|.krrk.|.kkkk.|bbb...");

  // A null brush leaves the inside alone; a 2x2 rectangle is all outline.
  b.Fill(kWhite);
  c.SetPen({Pen::Style::kSolid, kBlack});
  c.SetBrush(Brush::Null());
  c.FillRect({0, 0, 6, 5}, kGreen);
  c.Rectangle({0, 0, 4, 4});
  c.Rectangle({4, 3, 6, 5});
  EXPECT_EQ(Picture(b, kKey), "kkkkgg|kggkgg|kggkgg|kkkkkk|ggggkk");

  // Clipped, only the part of the outline inside the clip is drawn.
  b.Fill(kWhite);
  c.IntersectClip({0, 0, 6, 2});
  c.SetBrush(Brush::Solid(kRed));
  c.Rectangle({1, 0, 5, 4});
  EXPECT_EQ(Picture(b, kKey), ".kkkk.|.krrk.|......|......|......");
}

TEST(CanvasTest, PatternBrushRepeatsFromTheCanvasOrigin) {
  auto pattern = std::make_shared<Bitmap>(2, 2, PixelFormat::kIndexed4);
  // Index 9 is red and 12 blue in the standard palette.
  pattern->SetIndex(0, 0, 9);
  pattern->SetIndex(1, 0, 12);
  pattern->SetIndex(0, 1, 12);
  pattern->SetIndex(1, 1, 15);

  Bitmap b = WhiteBitmap(4, 3);
  Canvas c(b);
  c.SetPen({Pen::Style::kNone, kBlack});
  c.SetBrush(Brush::Pattern(pattern));
  c.Rectangle({1, 0, 4, 3});
  EXPECT_EQ(Picture(b, kKey), ".brb|..b.|.brb");

  // With the origin at (3,5), device pixel (3,5) takes pattern pixel (0,0);
  // device (0,0) takes ((0-3) mod 2, (0-5) mod 2) = (1,1).
  Bitmap d = WhiteBitmap(4, 7);
  Canvas shifted(d, {3, 5}, d.Bounds());
  shifted.SetPen({Pen::Style::kNone, kBlack});
  shifted.SetBrush(Brush::Pattern(pattern));
  shifted.Rectangle({-3, -5, 1, 2});
  EXPECT_EQ(d.Load(3, 5), kRed);
  EXPECT_EQ(d.Load(0, 0), kWhite);
  EXPECT_EQ(d.Load(1, 0), kBlue);
  EXPECT_EQ(d.Load(1, 1), kRed);
  EXPECT_EQ(Picture(d, kKey), ".b.b|brbr|.b.b|brbr|.b.b|brbr|.b.b");
}

TEST(CanvasTest, GetPixelReadsBackTargetFormatAndIsEmptyOutside) {
  Bitmap b(4, 4, PixelFormat::kRgb565);
  Canvas c(b, {1, 1}, {1, 1, 3, 3});
  c.SetPixel({0, 0}, kRed);
  c.SetPixel({1, 0}, kGreen);
  EXPECT_EQ(c.GetPixel({0, 0}), (Color{248, 0, 0}));
  EXPECT_EQ(c.GetPixel({1, 0}), (Color{0, 252, 0}));
  EXPECT_EQ(c.GetPixel({1, 1}), kBlack);
  EXPECT_FALSE(c.GetPixel({-1, 0}).has_value());  // on the surface, outside the clip
  EXPECT_FALSE(c.GetPixel({2, 0}).has_value());
  EXPECT_FALSE(c.GetPixel({10, 10}).has_value());  // off the surface

  Canvas whole(b);
  EXPECT_FALSE(whole.GetPixel({4, 0}).has_value());
  EXPECT_FALSE(whole.GetPixel({0, -1}).has_value());
  EXPECT_TRUE(whole.GetPixel({3, 3}).has_value());
  // A clip reaching past the surface is cut to it.
  Canvas wide(b, {}, {-10, -10, 100, 100});
  EXPECT_EQ(wide.ClipBox(), b.Bounds());
}

TEST(CanvasTest, LineExcludesItsEndPoint) {
  Bitmap b = WhiteBitmap(5, 5);
  Canvas c(b);
  c.SetPen({Pen::Style::kSolid, kRed});
  c.Line({0, 0}, {4, 0});
  c.Line({4, 4}, {4, 1});
  c.Line({0, 1}, {3, 4});
  EXPECT_EQ(Picture(b, kKey), "rrrr.|r....|.r..r|..r.r|....r");

  b.Fill(kWhite);
  c.Line({2, 2}, {2, 2});  // empty line draws nothing
  c.SetPen({Pen::Style::kNone, kRed});
  c.Line({0, 0}, {4, 4});
  EXPECT_EQ(Picture(b, kKey), ".....|.....|.....|.....|.....");

  // A shallow line steps once in y, and clipping keeps the rest in place.
  c.SetPen({Pen::Style::kSolid, kBlue});
  c.IntersectClip({1, 0, 5, 5});
  c.Line({0, 0}, {5, 2});
  EXPECT_EQ(Picture(b, kKey), ".b...|..bb.|....b|.....|.....");
}

TEST(CanvasTest, BlitClipsAgainstDestinationAndSource) {
  Bitmap src(3, 3, PixelFormat::kRgb888);
  src.Fill(kBlue);
  src.Store(0, 0, kRed);
  src.Store(2, 2, kGreen);

  Bitmap b = WhiteBitmap(4, 4);
  Canvas c(b);
  c.Blit({2, 2}, src, src.Bounds());  // runs off the bottom-right
  EXPECT_EQ(Picture(b, kKey), "....|....|..rb|..bb");

  b.Fill(kWhite);
  // A source rectangle partly outside the source copies only what exists,
  // in its place relative to the requested rectangle.
  c.Blit({0, 0}, src, {-1, -1, 2, 2});
  EXPECT_EQ(Picture(b, kKey), "....|.rb.|.bb.|....");

  b.Fill(kWhite);
  Canvas clipped(b, {1, 0}, {0, 0, 2, 4});
  clipped.Blit({0, 1}, src, {1, 1, 3, 3});
  EXPECT_EQ(Picture(b, kKey), "....|.b..|.b..|....");
}

TEST(CanvasTest, BlitWithinOneSurfaceMovesPixels) {
  Bitmap b = WhiteBitmap(4, 4);
  b.Store(0, 0, kRed);
  b.Store(1, 0, kBlue);
  b.Store(0, 1, kGreen);
  Canvas c(b);
  c.Blit({1, 1}, b, {0, 0, 3, 3});
  EXPECT_EQ(Picture(b, kKey), "rb..|grb.|.g..|....");
  c.Blit({0, 0}, b, {1, 1, 4, 4});
  EXPECT_EQ(Picture(b, kKey), "rb..|g...|....|....");
}

TEST(CanvasTest, StretchBlitSamplesNearestPixelAndClips) {
  Bitmap src(2, 1, PixelFormat::kRgb888);
  src.Store(0, 0, kRed);
  src.Store(1, 0, kBlue);
  Bitmap b = WhiteBitmap(5, 2);
  Canvas c(b);
  c.StretchBlit({0, 0, 5, 2}, src, src.Bounds());
  // src x = dx * 2 / 5: 0,0,0,1,1.
  EXPECT_EQ(Picture(b, kKey), "rrrbb|rrrbb");

  // Shrinking picks every other pixel.
  Bitmap wide(4, 1, PixelFormat::kRgb888);
  wide.Store(0, 0, kRed);
  wide.Store(1, 0, kGreen);
  wide.Store(2, 0, kBlue);
  wide.Store(3, 0, kGreen);
  b.Fill(kWhite);
  c.StretchBlit({0, 0, 2, 1}, wide, wide.Bounds());
  EXPECT_EQ(Picture(b, kKey), "rb...|.....");

  // Clipped, the visible pixels keep the mapping of the whole rectangle;
  // source pixels beyond the source are skipped.
  b.Fill(kWhite);
  Canvas clipped(b, {}, {2, 0, 5, 1});
  clipped.StretchBlit({0, 0, 5, 2}, src, src.Bounds());
  EXPECT_EQ(Picture(b, kKey), "..rbb|.....");
  b.Fill(kWhite);
  c.StretchBlit({0, 0, 4, 1}, src, {0, 0, 4, 1});
  EXPECT_EQ(Picture(b, kKey), "rb...|.....");
}

TEST(CanvasTest, SaveAndRestoreKeepTheState) {
  Bitmap b = WhiteBitmap(4, 4);
  Canvas c(b);
  c.SetTextColor(kRed);
  c.Save();
  c.SetOrigin({1, 1});
  c.IntersectClip({0, 0, 1, 1});
  c.SetTextColor(kBlue);
  c.SetPen({Pen::Style::kNone, kBlack});
  c.FillRect({-1, -1, 3, 3}, kGreen);
  EXPECT_EQ(Picture(b, kKey), "....|.g..|....|....");
  c.Save();
  c.SetOrigin({0, 0});
  c.Restore();
  EXPECT_EQ(c.Origin(), (Point{1, 1}));
  c.Restore();
  EXPECT_EQ(c.Origin(), (Point{0, 0}));
  EXPECT_EQ(c.ClipBox(), b.Bounds());
  EXPECT_EQ(c.TextColor(), kRed);
  c.Rectangle({0, 0, 2, 2});  // the default pen is back
  EXPECT_EQ(b.Load(0, 0), kBlack);
}

TEST(CanvasTest, CanvasOnIndexedTargetStoresPaletteColours) {
  Bitmap b(3, 1, PixelFormat::kIndexed4);
  Canvas c(b);
  c.FillRect({0, 0, 3, 1}, Color{120, 10, 0});
  EXPECT_EQ(b.Index(0, 0), 1);
  EXPECT_EQ(c.GetPixel({2, 0}), (Color{128, 0, 0}));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectSamePixels(const Bitmap& a, const Bitmap& b) {
  ASSERT_EQ(a.GetSize(), b.GetSize());
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      ASSERT_EQ(a.Load(x, y), b.Load(x, y)) << "at " << x << "," << y;
    }
  }
}

TEST(ImageIoTest, BmpRoundTripsKeepFormatPaletteAndPixels) {
  struct Case {
    PixelFormat format;
    int width;
    int height;
  };
  // Odd widths need row padding in every depth.
  const Case cases[] = {{PixelFormat::kIndexed4, 5, 3}, {PixelFormat::kIndexed4, 1, 1},
                        {PixelFormat::kIndexed8, 3, 2}, {PixelFormat::kRgb888, 3, 3},
                        {PixelFormat::kRgb888, 1, 2},   {PixelFormat::kRgb565, 2, 1}};
  const std::string path = TempPath("roundtrip.bmp");
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.format) * 100 + k.width);
    Bitmap b(k.width, k.height, k.format);
    if (k.format == PixelFormat::kIndexed8) {
      std::vector<Color> palette(256);
      for (int i = 0; i < 256; ++i) {
        palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7};
      }
      b.SetPalette(palette);
    }
    for (int y = 0; y < k.height; ++y) {
      for (int x = 0; x < k.width; ++x) {
        if (b.IsIndexed()) {
          b.SetIndex(x, y, static_cast<uint8_t>((x * 7 + y * 3 + 1) % b.Palette().size()));
        } else {
          b.Store(x, y, {static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 50), 200});
        }
      }
    }
    ASSERT_TRUE(WriteBmpFile(b, path));
    const std::optional<Bitmap> read = ReadBmpFile(path);
    ASSERT_TRUE(read.has_value());
    const PixelFormat expected =
        k.format == PixelFormat::kRgb565 ? PixelFormat::kRgb888 : k.format;
    EXPECT_EQ(read->Format(), expected);
    ExpectSamePixels(b, *read);
    if (b.IsIndexed()) {
      EXPECT_TRUE(std::equal(b.Palette().begin(), b.Palette().end(), read->Palette().begin(),
                             read->Palette().end()));
      for (int x = 0; x < k.width; ++x) EXPECT_EQ(read->Index(x, 0), b.Index(x, 0));
    }
  }
  std::remove(path.c_str());
  EXPECT_FALSE(WriteBmpFile(Bitmap(), path));
  EXPECT_FALSE(ReadBmpFile(TempPath("missing.bmp")).has_value());
}

// A hand-made BMP with a 40-byte info header.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bpp,
                             const std::vector<uint8_t>& palette_bgrx,
                             const std::vector<uint8_t>& pixels, uint32_t colors_used = 0) {
  std::vector<uint8_t> d;
  auto put16 = [&](uint32_t v) {
    d.push_back(static_cast<uint8_t>(v));
    d.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette_bgrx.size());
  d.push_back('B');
  d.push_back('M');
  put32(offset + static_cast<uint32_t>(pixels.size()));
  put32(0);
  put32(offset);
  put32(40);
  put32(static_cast<uint32_t>(width));
  put32(static_cast<uint32_t>(height));
  put16(1);
  put16(bpp);
  put32(0);
  put32(0);
  put32(0);
  put32(0);
  put32(colors_used);
  put32(0);
  d.insert(d.end(), palette_bgrx.begin(), palette_bgrx.end());
  d.insert(d.end(), pixels.begin(), pixels.end());
  return d;
}

TEST(ImageIoTest, ReadsOneBitTopDownAndThirtyTwoBit) {
  // 1-bit, 3x2, top-down: black/white palette.
  const std::vector<uint8_t> bw = {0, 0, 0, 0, 255, 255, 255, 0};
  auto one = ReadBmp(MakeBmp(3, -2, 1, bw, {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}));
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->Format(), PixelFormat::kIndexed4);
  EXPECT_EQ(one->Palette()[1], kWhite);
  EXPECT_EQ(Picture(*one, kKey), ".k.|k.k");

  // 32-bit bottom-up: the first row in the file is the bottom row.
  auto rgb = ReadBmp(MakeBmp(1, 2, 32, {}, {255, 0, 0, 0, 0, 0, 255, 0}));
  ASSERT_TRUE(rgb.has_value());
  EXPECT_EQ(rgb->Format(), PixelFormat::kRgb888);
  EXPECT_EQ(rgb->Load(0, 0), kRed);
  EXPECT_EQ(rgb->Load(0, 1), kBlue);

  // An index past a short palette reads as entry 0.
  auto short_palette = ReadBmp(MakeBmp(2, 1, 8, {0, 255, 0, 0, 0, 0, 255, 0}, {1, 9, 0, 0}, 2));
  ASSERT_TRUE(short_palette.has_value());
  EXPECT_EQ(short_palette->Load(0, 0), kRed);
  EXPECT_EQ(short_palette->Load(1, 0), kGreen);
}

TEST(ImageIoTest, RejectsTruncatedAndMalformedData) {
  const std::vector<uint8_t> good = MakeBmp(3, 2, 24, {}, std::vector<uint8_t>(24, 0x80));
  ASSERT_TRUE(ReadBmp(good).has_value());
  // Every truncation fails cleanly, except cutting the last row's padding.
  for (size_t n = 0; n < good.size() - 3; ++n) {
    EXPECT_FALSE(ReadBmp(std::span(good).first(n)).has_value()) << n;
  }
  EXPECT_TRUE(ReadBmp(std::span(good).first(good.size() - 3)).has_value());

  auto with = [&](size_t at, uint32_t v, size_t bytes = 4) {
    std::vector<uint8_t> d = good;
    for (size_t i = 0; i < bytes; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return d;
  };
  EXPECT_FALSE(ReadBmp(with(0, 'X', 1)).has_value());          // signature
  EXPECT_FALSE(ReadBmp(with(10, 0xFFFFFFF0)).has_value());    // pixel offset
  EXPECT_FALSE(ReadBmp(with(10, 20)).has_value());            // offset inside header
  EXPECT_FALSE(ReadBmp(with(14, 0x7FFFFFFF)).has_value());    // header size
  EXPECT_FALSE(ReadBmp(with(18, 0)).has_value());             // zero width
  EXPECT_FALSE(ReadBmp(with(18, 0xFFFFFFFF)).has_value());    // negative width
  EXPECT_FALSE(ReadBmp(with(18, 20000)).has_value());         // absurd width
  EXPECT_FALSE(ReadBmp(with(22, 0x80000000)).has_value());    // most negative height
  EXPECT_FALSE(ReadBmp(with(22, 1000)).has_value());          // more rows than data
  EXPECT_FALSE(ReadBmp(with(28, 7, 2)).has_value());          // unknown depth
  EXPECT_FALSE(ReadBmp(with(30, 1)).has_value());             // RLE compression
  // An 8-bit header whose palette runs past the end of the data.
  EXPECT_FALSE(ReadBmp(with(28, 8, 2)).has_value());
}

TEST(ImageIoTest, WritesPng) {
  Bitmap b = WhiteBitmap(3, 2, PixelFormat::kIndexed4);
  const std::string path = TempPath("out.png");
  ASSERT_TRUE(WritePngFile(b, path));
  const std::vector<uint8_t> data = ReadFile(path);
  ASSERT_GT(data.size(), 8u);
  EXPECT_EQ(data[1], 'P');
  EXPECT_EQ(data[2], 'N');
  EXPECT_EQ(data[3], 'G');
  std::remove(path.c_str());
  EXPECT_FALSE(WritePngFile(b, TempPath("no_such_dir") + "/out.png"));
}

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = Font::Get({"Verdana", 13, kWeightNormal, true});
    if (!font_) TV_SKIP_UNLESS_CI("no font answers Verdana");
  }
  std::shared_ptr<const Font> font_;
};

int CountNot(const Bitmap& b, Color c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) n += b.Load(x, y) != c;
  }
  return n;
}

TEST_F(FontTest, GetCachesAndMeasuresGrowWithText) {
  EXPECT_EQ(Font::Get({"Verdana", 13, kWeightNormal, true}), font_);
  EXPECT_EQ(font_->CellHeight(), 13);
  EXPECT_GT(font_->Ascent(), 6);
  EXPECT_LT(font_->Ascent(), 13);
  const Size one = font_->Measure(u"W");
  const Size two = font_->Measure(u"WW");
  const Size long_text = font_->Measure(u"Terravue World");
  EXPECT_GT(one.width, 0);
  EXPECT_EQ(two.width, 2 * one.width);
  EXPECT_GT(long_text.width, two.width);
  EXPECT_EQ(long_text.height, 13);
  EXPECT_EQ(font_->Measure(u"").width, 0);

  auto em = Font::Get({"Verdana", -20, kWeightBold, true});
  ASSERT_TRUE(em);
  EXPECT_GT(em->CellHeight(), 20);
  EXPECT_GT(em->Measure(u"W").width, one.width);
}

TEST_F(FontTest, DrawTextPaintsInsideTheCellAndLogs) {
  Bitmap b = WhiteBitmap(60, 20);
  Canvas c(b);
  std::vector<TextRecord> log;
  c.SetTextLog(&log);
  c.SetFont(font_);
  c.SetTextColor(kBlack);
  c.SetBackgroundMode(BackgroundMode::kTransparent);
  c.DrawText({2, 3}, u"Hi");
  const Size size = c.MeasureText(u"Hi");
  const Rect cell = Rect::FromSize(2, 3, size.width, size.height);
  int inside = 0;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      if (b.Load(x, y) == kWhite) continue;
      EXPECT_TRUE(cell.Contains({x, y})) << x << "," << y;
      ++inside;
    }
  }
  EXPECT_GT(inside, 5);

  // An opaque background fills the whole cell, even where no glyph is.
  b.Fill(kWhite);
  c.SetBackgroundMode(BackgroundMode::kOpaque);
  c.SetBackgroundColor(kBlue);
  c.DrawText({0, 0}, u" ");
  const Size space = c.MeasureText(u" ");
  EXPECT_EQ(CountNot(b, kWhite), space.width * space.height);
  EXPECT_EQ(b.Load(0, space.height - 1), kBlue);
  EXPECT_EQ(b.Load(0, space.height), kWhite);

  // Clipped away: nothing drawn, but the text is still logged.
  b.Fill(kWhite);
  c.IntersectClip({50, 0, 60, 20});
  c.DrawText({0, 0}, u"Hi");
  EXPECT_EQ(CountNot(b, kWhite), 0);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].position, (Point{2, 3}));
  EXPECT_EQ(log[0].text, u"Hi");
  EXPECT_EQ(log[2].text, u"Hi");
}

TEST_F(FontTest, MonochromeTextUsesOnlyTheTextColour) {
  auto mono = Font::Get({"Verdana", 13, kWeightNormal, false});
  ASSERT_TRUE(mono);
  Bitmap b = WhiteBitmap(40, 16);
  mono->Draw(b, {1, 1}, u"Ag", kRed, b.Bounds());
  int red = 0;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      const Color p = b.Load(x, y);
      ASSERT_TRUE(p == kWhite || p == kRed);
      red += p == kRed;
    }
  }
  EXPECT_GT(red, 5);
  // The antialiased face blends edges into other colours.
  Bitmap smooth = WhiteBitmap(40, 16);
  font_->Draw(smooth, {1, 1}, u"Ag", kRed, smooth.Bounds());
  int blended = 0;
  for (int y = 0; y < smooth.Height(); ++y) {
    for (int x = 0; x < smooth.Width(); ++x) {
      const Color p = smooth.Load(x, y);
      blended += p != kWhite && p != kRed;
    }
  }
  EXPECT_GT(blended, 0);
}

TEST(FontNullTest, NullFontDrawsAndMeasuresNothing) {
  Bitmap b = WhiteBitmap(20, 20);
  Canvas c(b);
  c.SetFont(nullptr);
  c.SetBackgroundColor(kBlue);
  c.DrawText({0, 0}, u"Hello");
  EXPECT_EQ(c.MeasureText(u"Hello"), (Size{0, 0}));
  EXPECT_EQ(CountNot(b, kWhite), 0);
}

}  // namespace
}  // namespace tv::gfx
