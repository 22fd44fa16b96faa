// Drawing and listing the flag bitmaps.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/gfx/bitmap.h"
#include "tools/artbuilder/flags.h"

namespace terravue::artbuilder {
namespace {

namespace fs = std::filesystem;
using tv::gfx::Color;

// A scratch file removed when the test ends.
class ScratchFile {
 public:
  ScratchFile(const std::string& name, const std::string& text)
      : path_(fs::temp_directory_path() / (std::to_string(getpid()) + "-" + name)) {
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~ScratchFile() { fs::remove(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(FlagArt, SvgIsStretchedToFillTheWholeBitmap) {
  // A 4:3 drawing, red on the left half and blue on the right, drawn at 2:1:
  // no white bands above, below or beside it.
  const ScratchFile svg("halves.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 40 30">
    <rect width="20" height="30" fill="#ff0000"/><rect x="20" width="20" height="30" fill="#0000ff"/></svg>)");
  std::string error;
  const auto bitmap = RasteriseSvg(svg.path(), kFlagWidth, kFlagHeight, error);
  ASSERT_TRUE(bitmap) << error;
  ASSERT_EQ(bitmap->Width(), 64);
  ASSERT_EQ(bitmap->Height(), 32);
  for (int y = 0; y < 32; ++y) {
    EXPECT_EQ(bitmap->Load(0, y), (Color{255, 0, 0})) << y;
    EXPECT_EQ(bitmap->Load(31, y), (Color{255, 0, 0})) << y;
    EXPECT_EQ(bitmap->Load(32, y), (Color{0, 0, 255})) << y;
    EXPECT_EQ(bitmap->Load(63, y), (Color{0, 0, 255})) << y;
  }
  EXPECT_FALSE(RasteriseSvg(svg.path().string() + ".missing", 64, 32, error));
}

TEST(FlagArt, ColoursMergedIntoOneEntryAreNotDithered) {
  // 32 flat 8x8 blocks of different colours: some must share a palette entry,
  // and each block still comes out as one index, never a pattern of two.
  tv::gfx::Bitmap source(64, 32, tv::gfx::PixelFormat::kRgb888);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int block = (y / 8) * 8 + x / 8;
      source.Store(x, y, {static_cast<uint8_t>(block * 37 % 256), static_cast<uint8_t>(block * 91 % 256),
                          static_cast<uint8_t>(block * 53 % 256)});
    }
  }
  std::string error;
  const auto reduced = QuantiseTo16Colors(source, error);
  ASSERT_TRUE(reduced) << error;
  ASSERT_EQ(reduced->Format(), tv::gfx::PixelFormat::kIndexed4);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(reduced->Index(x, y), reduced->Index(x / 8 * 8, y / 8 * 8)) << x << "," << y;
    }
  }
}

TEST(FlagArt, ManifestLinesAreStemTabCodeWithDistinctStems) {
  std::string error;
  const ScratchFile good("good.tsv", "France\tfr\nKorea_South\tkr\n\nSaint_Helena\tsh-hl\n");
  const auto entries = ReadFlagManifest(good.path(), error);
  ASSERT_TRUE(entries) << error;
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ((*entries)[1].stem, "Korea_South");
  EXPECT_EQ((*entries)[2].code, "sh-hl");
  for (const char* bad : {"France fr\n", "France\t\n", "\tfr\n", "Fr ance\tfr\n", "France\tfr\tx\n",
                          "France\tfr\nFRANCE\tfr\n"}) {
    const ScratchFile file("bad.tsv", bad);
    EXPECT_FALSE(ReadFlagManifest(file.path(), error)) << bad;
  }
  EXPECT_EQ(FlagResourceName("Korea_South"), "KOREA_SOUTH_FLAG");
  EXPECT_EQ(FlagFileName("Korea_South"), "bitmaps/flags/korea_south.bmp");
}

TEST(FlagArt, ResourceListBlockIsReplacedOrAppended) {
  const std::vector<FlagEntry> one = {{"France", "fr"}};
  const std::string line = "bitmap 0 FRANCE_FLAG bitmaps/flags/france.bmp\n";
  const std::string block =
      std::string(kFlagBlockBegin) + "\n" + line + std::string(kFlagBlockEnd) + "\n";
  // No block yet: appended, the rest kept (a missing final line feed added).
  EXPECT_EQ(ReplaceFlagBlock("bitmap 376 - a.bmp", one), "bitmap 376 - a.bmp\n" + block);
  // A block in the middle: replaced in place, the lines after it kept.
  const std::string old = "head\n" + std::string(kFlagBlockBegin) + "\nbitmap 0 OLD_FLAG x.bmp\n" +
                          std::string(kFlagBlockEnd) + "\ntail\n";
  EXPECT_EQ(ReplaceFlagBlock(old, one), "head\n" + block + "tail\n");
  // No flags: an empty block.
  EXPECT_EQ(ReplaceFlagBlock(old, {}),
            "head\n" + std::string(kFlagBlockBegin) + "\n" + std::string(kFlagBlockEnd) + "\ntail\n");
}

}  // namespace
}  // namespace terravue::artbuilder
