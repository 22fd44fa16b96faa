#include "maps/picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <unistd.h>

#include "platform/base/utf.h"
#include "tests/gif_writer.h"

namespace terravue {
namespace {

namespace fs = std::filesystem;
using testing::GifColor;
using testing::GifSpec;
using testing::WholeFrame;
using testing::WriteGif;
using tv::gfx::Bitmap;
using tv::gfx::Color;
using tv::gfx::PixelFormat;

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("picture_test_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  CVOString Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return PathOf(path);
  }
  static CVOString PathOf(const fs::path& path) {
    return CVOString(tv::Utf8ToUtf16(path.string()).c_str());
  }

  fs::path dir_;
  Bitmap screen_{240, 320, PixelFormat::kRgb888};
};

Color Palette(int i) { return Color::FromRef(GifColor(i)); }

// 300 x 200, in six 100 x 100 fields: index column + 3 * row.
GifSpec SixFields() {
  return WholeFrame(300, 200, 8, [](int x, int y) { return x / 100 + 3 * (y / 100); });
}

TEST_F(PictureTest, DecodesFramesOntoTheScreenInTheirColours) {
  Picture picture;
  EXPECT_EQ(picture.GetWidth(), 0);
  EXPECT_FALSE(picture.CreateScaledCopy(-1, -1, -1, -1));

  // Interlaced: ten rows, each its own index.
  GifSpec rows = WholeFrame(3, 10, 16, [](int, int y) { return y; });
  rows.interlaced = true;
  ASSERT_TRUE(picture.LoadFile(screen_, Write("rows.gif", WriteGif(rows))));
  ASSERT_EQ(picture.GetWidth(), 3);
  ASSERT_EQ(picture.GetHeight(), 10);
  Bitmap target(3, 10, PixelFormat::kRgb888);
  tv::gfx::Canvas canvas(target);
  EXPECT_TRUE(picture.DrawTo(canvas, 0, 0));
  for (int y = 0; y < 10; ++y) EXPECT_EQ(target.Load(2, y), Palette(y)) << "row " << y;

  // A frame inside a larger screen, with its own colour map: the rest of the
  // screen takes the background colour of the screen's map.
  GifSpec framed;
  framed.screen_width = 6;
  framed.screen_height = 5;
  framed.left = 2;
  framed.top = 1;
  framed.width = 3;
  framed.height = 2;
  framed.global_colors = 4;
  framed.background = 3;
  framed.local_colors = 2;
  framed.pixels = {0, 1, 0, 1, 0, 1};
  ASSERT_TRUE(picture.LoadFile(screen_, Write("framed.gif", WriteGif(framed))));
  ASSERT_EQ(picture.GetWidth(), 6);
  ASSERT_EQ(picture.GetHeight(), 5);
  Bitmap frame_target(6, 5, PixelFormat::kRgb888);
  tv::gfx::Canvas frame_canvas(frame_target);
  picture.DrawTo(frame_canvas, 0, 0);
  EXPECT_EQ(frame_target.Load(0, 0), Palette(3));
  EXPECT_EQ(frame_target.Load(5, 4), Palette(3));
  EXPECT_EQ(frame_target.Load(2, 1), Palette(0));
  EXPECT_EQ(frame_target.Load(3, 1), Palette(1));
  EXPECT_EQ(frame_target.Load(4, 2), Palette(1));
}

int Collect(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// Real LZW compression across many chunks, with a graphics control and a
// comment block before the frame and a second frame after it.
TEST_F(PictureTest, DecodesWhatGiflibsEncoderWrites) {
  constexpr int kSize = 200;
  auto index_of = [](int x, int y) { return ((x / 7) ^ (y / 5)) % 16; };
  std::vector<uint8_t> bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, Collect, &error);
  ASSERT_NE(gif, nullptr);
  ColorMapObject* map = GifMakeMapObject(16, nullptr);
  for (int i = 0; i < 16; ++i) {
    const Color c = Palette(i);
    map->Colors[i] = {c.r, c.g, c.b};
  }
  EGifSetGifVersion(gif, true);
  ASSERT_EQ(EGifPutScreenDesc(gif, kSize, kSize, 4, 0, map), GIF_OK);
  GraphicsControlBlock control{};
  control.TransparentColor = 2;
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), GIF_OK);
  ASSERT_EQ(EGifPutComment(gif, "map"), GIF_OK);
  std::vector<GifPixelType> line(kSize);
  for (int frame = 0; frame < 2; ++frame) {
    ASSERT_EQ(EGifPutImageDesc(gif, 0, 0, kSize, kSize, false, nullptr), GIF_OK);
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) line[x] = static_cast<GifPixelType>(frame ? 0 : index_of(x, y));
      ASSERT_EQ(EGifPutLine(gif, line.data(), kSize), GIF_OK);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  ASSERT_GT(bytes.size(), 3 * Picture::kChunkSize);

  Picture picture;
  ASSERT_TRUE(picture.LoadFile(screen_, Write("encoded.gif", bytes)));
  auto copy = picture.CreateScaledCopy(-1, -1, -1, -1);
  ASSERT_TRUE(copy);
  int wrong = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) wrong += copy->Load(x, y) != Palette(index_of(x, y));
  }
  EXPECT_EQ(wrong, 0);  // the first frame, transparent index included
}

TEST_F(PictureTest, OnlyTheSamePathIsNotReadAgain) {
  fs::create_directories(dir_ / "Terravue Maps");
  const CVOString path = Write("Terravue Maps/France.gif", WriteGif(SixFields()));
  const CVOString lower =
      Write("Terravue Maps/france.gif", WriteGif(WholeFrame(3, 2, 2, [](int, int) { return 0; })));
  Picture picture;
  ASSERT_TRUE(picture.LoadFile(screen_, path));
  // With the file gone, only a load that reads nothing can succeed.
  fs::remove(dir_ / "Terravue Maps" / "France.gif");
  EXPECT_TRUE(picture.LoadFile(screen_, path));
  EXPECT_EQ(picture.GetWidth(), 300);
  // The file system tells letter cases apart: this is another picture.
  EXPECT_TRUE(picture.LoadFile(screen_, lower));
  EXPECT_EQ(picture.GetWidth(), 3);

  // A path that does not exist fails and keeps the picture.
  EXPECT_FALSE(picture.LoadFile(screen_, PathOf(dir_ / "Terravue Maps" / "Spain.gif")));
  EXPECT_EQ(picture.GetHeight(), 2);
  // So does a folder.
  EXPECT_FALSE(picture.LoadFile(screen_, PathOf(dir_)));
}

TEST_F(PictureTest, ScaledCopiesAreWhiteBoxesWithThePictureAtTheTopLeft) {
  Picture picture;
  ASSERT_TRUE(picture.LoadFile(screen_, Write("six.gif", WriteGif(SixFields()))));

  // Natural size in a square: the bottom 100 rows white.
  auto square = picture.CreateScaledCopy(-1, -1, -1, -1);
  ASSERT_TRUE(square);
  EXPECT_EQ(square->GetSize(), (tv::gfx::Size{300, 300}));
  EXPECT_EQ(square->Load(0, 0), Palette(0));
  EXPECT_EQ(square->Load(299, 199), Palette(5));
  EXPECT_EQ(square->Load(150, 120), Palette(4));
  EXPECT_EQ(square->Load(0, 200), tv::gfx::kWhite);
  EXPECT_EQ(square->Load(299, 299), tv::gfx::kWhite);

  // Height 100: 150 x 100 in a 150 x 150 box.
  auto half = picture.CreateScaledCopy(-1, 100, -1, -1);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->GetSize(), (tv::gfx::Size{150, 150}));
  for (int field = 0; field < 6; ++field) {
    EXPECT_EQ(half->Load(field % 3 * 50 + 25, field / 3 * 50 + 25), Palette(field)) << field;
  }
  EXPECT_EQ(half->Load(149, 99), Palette(5));
  EXPECT_EQ(half->Load(0, 100), tv::gfx::kWhite);
  EXPECT_EQ(half->Load(149, 149), tv::gfx::kWhite);

  // Width 120: 120 x 80 into a 200 x 50 box, its bottom 30 rows cut off.
  auto cut = picture.CreateScaledCopy(120, -1, 200, 50);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->GetSize(), (tv::gfx::Size{200, 50}));
  EXPECT_EQ(cut->Load(0, 0), Palette(0));
  EXPECT_EQ(cut->Load(119, 0), Palette(2));
  EXPECT_EQ(cut->Load(60, 49), Palette(4));  // row 49 of 80 lies in the lower fields
  EXPECT_EQ(cut->Load(119, 39), Palette(2));
  EXPECT_EQ(cut->Load(120, 0), tv::gfx::kWhite);
  EXPECT_EQ(cut->Load(199, 49), tv::gfx::kWhite);
}

TEST_F(PictureTest, CopiesTakeTheFormatOfTheReferenceSurface) {
  const Bitmap display(240, 320, PixelFormat::kRgb565);
  Picture picture;
  ASSERT_TRUE(picture.LoadFile(display, Write("six.gif", WriteGif(SixFields()))));
  auto copy = picture.CreateScaledCopy(-1, -1, -1, -1);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Format(), PixelFormat::kRgb565);
  EXPECT_EQ(copy->Load(0, 0), copy->Quantize(Palette(0)));
  EXPECT_EQ(copy->Load(0, 299), copy->Quantize(tv::gfx::kWhite));
  // Drawing at natural size with an offset, clipped by the target.
  Bitmap small(100, 100, PixelFormat::kRgb888);
  tv::gfx::Canvas canvas(small);
  picture.DrawTo(canvas, -150, -50);
  EXPECT_EQ(small.Load(0, 0), Palette(1));
  EXPECT_EQ(small.Load(99, 99), Palette(5));
}

struct HostileCase {
  const char* name;
  std::vector<uint8_t> bytes;
};

std::vector<HostileCase> HostileGifs() {
  const GifSpec sound = WholeFrame(4, 3, 4, [](int x, int y) { return (x + y) % 4; });
  std::vector<HostileCase> cases;
  auto add = [&](const char* name, auto edit) {
    GifSpec spec = sound;
    edit(spec);
    cases.push_back({name, WriteGif(spec)});
  };
  add("zero screen width", [](GifSpec& s) { s.screen_width = 0; });
  add("zero screen height", [](GifSpec& s) { s.screen_height = 0; });
  add("screen 10001 wide", [](GifSpec& s) { s.screen_width = 10001; });
  add("screen 10001 high", [](GifSpec& s) { s.screen_height = 10001; });
  add("screen 65535 square", [](GifSpec& s) { s.screen_width = s.screen_height = 65535; });
  add("frame of no width", [](GifSpec& s) {
    s.width = 0;
    s.pixels.clear();
  });
  add("frame past the right edge", [](GifSpec& s) { s.left = 1; });
  add("frame past the bottom edge", [](GifSpec& s) { s.top = 1; });
  add("frame at the far end of the 16-bit range", [](GifSpec& s) { s.left = s.top = 65535; });
  add("pixel index past the colour map", [](GifSpec& s) {
    s.global_colors = 2;
    s.min_code_size = 2;
    s.pixels[7] = 3;
  });
  add("index past a local map", [](GifSpec& s) {
    s.global_colors = 256;
    s.local_colors = 2;
    s.min_code_size = 2;
    s.pixels[11] = 2;
  });
  add("no colour map", [](GifSpec& s) { s.global_colors = 0; });
  add("fewer pixels than the frame", [](GifSpec& s) { s.pixels.resize(7); });

  std::vector<uint8_t> whole = WriteGif(sound);
  cases.push_back({"empty file", {}});
  cases.push_back({"not a GIF", {0x89, 'P', 'N', 'G', '\r', '\n', 26, '\n'}});
  std::vector<uint8_t> no_frame(whole.begin(), whole.begin() + 6 + 7 + 12);
  no_frame.push_back(0x3B);
  cases.push_back({"no frame before the trailer", no_frame});
  // Every cut before the frame's end of data.
  for (size_t n = 1; n + 2 < whole.size(); ++n) {
    cases.push_back({"truncated", std::vector<uint8_t>(whole.begin(), whole.begin() + n)});
  }
  return cases;
}

TEST_F(PictureTest, DamagedOrHostileFilesFailAndKeepThePicture) {
  Picture picture;
  const CVOString good = Write("good.gif", WriteGif(SixFields()));
  ASSERT_TRUE(picture.LoadFile(screen_, good));
  int index = 0;
  for (const HostileCase& c : HostileGifs()) {
    const CVOString path = Write("hostile" + std::to_string(index++) + ".gif", c.bytes);
    EXPECT_FALSE(picture.LoadFile(screen_, path)) << c.name << ", " << c.bytes.size() << " bytes";
    EXPECT_EQ(picture.GetWidth(), 300) << c.name;
    EXPECT_EQ(picture.GetHeight(), 200) << c.name;
  }
  // The earlier picture is still the one drawn.
  auto copy = picture.CreateScaledCopy(-1, -1, -1, -1);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Load(299, 199), Palette(5));

  // The sound file they were made from loads, so each failure is the damage.
  const GifSpec sound = WholeFrame(4, 3, 4, [](int x, int y) { return (x + y) % 4; });
  EXPECT_TRUE(picture.LoadFile(screen_, Write("sound.gif", WriteGif(sound))));
  EXPECT_EQ(picture.GetWidth(), 4);
}

TEST_F(PictureTest, LargestPictureSideIsAccepted) {
  GifSpec wide = WholeFrame(10000, 1, 2, [](int x, int) { return x % 2; });
  Picture picture;
  ASSERT_TRUE(picture.LoadFile(screen_, Write("wide.gif", WriteGif(wide))));
  EXPECT_EQ(picture.GetWidth(), 10000);
  EXPECT_EQ(picture.GetHeight(), 1);
}

TEST(PictureChunkTest, ReadsAtMostTheAskedBytesAndNothingFromNoFile) {
  uint8_t buffer[Picture::kChunkSize] = {};
  EXPECT_EQ(Picture::ReadFileChunk(buffer, sizeof buffer, -1), 0u);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string text(1500, 'g');
  ASSERT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fds[1]);
  EXPECT_EQ(Picture::ReadFileChunk(buffer, sizeof buffer, fds[0]), 1024u);
  EXPECT_EQ(Picture::ReadFileChunk(buffer, sizeof buffer, fds[0]), 476u);
  EXPECT_EQ(Picture::ReadFileChunk(buffer, sizeof buffer, fds[0]), 0u);
  close(fds[0]);
}

}  // namespace
}  // namespace terravue
