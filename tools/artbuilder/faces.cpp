#include "tools/artbuilder/faces.h"

#include <algorithm>

namespace terravue::artbuilder {
namespace {

using tv::gfx::Color;

struct Ink {
  char letter;
  Color color;
};

constexpr Ink kInks[] = {
    {'.', {255, 255, 255}}, {'k', {0, 0, 0}},       {'M', {128, 0, 0}},
    {'g', {0, 128, 0}},     {'O', {128, 128, 0}},   {'N', {0, 0, 128}},
    {'P', {128, 0, 128}},   {'T', {0, 128, 128}},   {'s', {192, 192, 192}},
    {'d', {128, 128, 128}}, {'r', {255, 0, 0}},     {'l', {0, 255, 0}},
    {'y', {255, 255, 0}},   {'b', {0, 0, 255}},     {'f', {255, 0, 255}},
    {'c', {0, 255, 255}},
};

// A door standing in its frame with an arrow leading out through it.
constexpr FaceArt kExit = {"exit.bmp", "EXIT", {
    "................",
    ".kkkkkkkkk......",
    ".kMMMMMMMk......",
    ".kMMMMMMMk......",
    ".kMMMMMMMk..r...",
    ".kMMMMMMMk..rr..",
    ".kMMMMrrrrrrrrr.",
    ".kMMMMrrrrrrrrrr",
    ".kMyMMrrrrrrrrr.",
    ".kMMMMMMMk..rr..",
    ".kMMMMMMMk..r...",
    ".kMMMMMMMk......",
    ".kMMMMMMMk......",
    ".kMMMMMMMk......",
    "kkkkkkkkkkk.....",
    "................",
}};

// A closed book with a question mark on its cover.
constexpr FaceArt kHelp = {"help.bmp", "HELP", {
    "................",
    "...kkkkkkkkkkk..",
    "..kNbbbbbbbbbbk.",
    "..kNbbb....bbbk.",
    "..kNbb..bb..bbk.",
    "..kNbbbbbb..bbk.",
    "..kNbbbbb..bbbk.",
    "..kNbbbb..bbbbk.",
    "..kNbbbb..bbbbk.",
    "..kNbbbbbbbbbbk.",
    "..kNbbbb..bbbbk.",
    "..kNbbbb..bbbbk.",
    "..kNbbbbbbbbbbk.",
    "..kN.ssssssssk..",
    "...kkkkkkkkkk...",
    "................",
}};

// A lit light bulb on its screw base.
constexpr FaceArt kFacts = {"facts.bmp", "FACTS", {
    "......kkkk......",
    "....kkyyyykk....",
    "...kyy..yyyyk...",
    "..kyy.yyyyyyyk..",
    "..ky.yyyyyyyyk..",
    "..kyyyyyyyyyyk..",
    "..kyyyyyyyyyyk..",
    "...kyyyyyyyyk...",
    "....kyyyyyyk....",
    ".....kyyyyk.....",
    ".....kssssk.....",
    ".....kddddk.....",
    ".....kssssk.....",
    ".....kddddk.....",
    "......kddk......",
    ".......kk.......",
}};

// An "i" in a speech bubble.
constexpr FaceArt kInfo = {"info.bmp", "INFO", {
    "................",
    "...kkkkkkkkkk...",
    "..kbbbbbbbbbbk..",
    ".kbbbbbb..bbbbk.",
    ".kbbbbbb..bbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbbbb...bbbbk.",
    ".kbbbbbb..bbbbk.",
    ".kbbbbbb..bbbbk.",
    ".kbbbbbb..bbbbk.",
    ".kbbbbb....bbbk.",
    "..kbbbbbbbbbbk..",
    "...kbbkkkkkkk...",
    "...kbk..........",
    "...kk...........",
    "................",
}};

// The globe, the Americas facing.
constexpr FaceArt kMap = {"map.bmp", "MAP", {
    "................",
    ".....kkkkkk.....",
    "...kkgggbbbkk...",
    "..kbggggggbbbk..",
    "..kggggggggbbk..",
    ".kbbgggggggbbbk.",
    ".kbbbgggggbbbbk.",
    ".kbbbbgggbbbbbk.",
    ".kbbbbbgbbbbbbk.",
    ".kbbbbbbgggbbbk.",
    ".kbbbbbbggggbbk.",
    "..kbbbbbgggbbk..",
    "..kbbbbbggbbbk..",
    "...kkbbbgbbkk...",
    ".....kkkkkk.....",
    "................",
}};

// A bar chart of three bars on its axes.
constexpr FaceArt kCompare = {"compare.bmp", "COMPARE", {
    "................",
    ".k..............",
    ".k..........kkkk",
    ".k..........krrk",
    ".k......kkkkkrrk",
    ".k......kbbkkrrk",
    ".k......kbbkkrrk",
    ".k......kbbkkrrk",
    ".k..kkkkkbbkkrrk",
    ".k..kggkkbbkkrrk",
    ".k..kggkkbbkkrrk",
    ".k..kggkkbbkkrrk",
    ".k..kggkkbbkkrrk",
    ".kkkkkkkkkkkkkkk",
    ".k..............",
    "................",
}};

// A clock face showing three o'clock.
constexpr FaceArt kDayNight = {"daynight.bmp", "DAYNIGHT", {
    "................",
    ".....kkkkkk.....",
    "...kk..kk..kk...",
    "..k..........k..",
    "..k....kk....k..",
    ".k.....kk.....k.",
    ".k.....kk.....k.",
    ".kk....kkkkk.kk.",
    ".kk....kkkkk.kk.",
    ".k............k.",
    ".k............k.",
    "..k..........k..",
    "..k..........k..",
    "...kk..kk..kk...",
    ".....kkkkkk.....",
    "................",
}};

constexpr FaceArt kFaces[] = {kExit, kHelp, kFacts, kInfo, kMap, kCompare, kDayNight};

// The toolbar images. A blue "i" on a white disc for the country's facts.
constexpr ToolImageArt kInfoTool = {"Country Info", {
    "................",
    ".....kkkkkk.....",
    "...kk......kk...",
    "..k....bb....k..",
    "..k....bb....k..",
    ".k............k.",
    ".k....bbb.....k.",
    ".k.....bb.....k.",
    ".k.....bb.....k.",
    ".k.....bb.....k.",
    "..k....bb....k..",
    "..k...bbbb...k..",
    "...kk......kk...",
    ".....kkkkkk.....",
    "................",
}};

// A magnifying glass with a minus sign.
constexpr ToolImageArt kZoomOutTool = {"Zoom Out", {
    "................",
    "....kkkkk.......",
    "...k.....k......",
    "..k.......k.....",
    ".k.........k....",
    ".k.........k....",
    ".k.bbbbbbb.k....",
    ".k.........k....",
    ".k.........k....",
    "..k.......k.....",
    "...k.....kMM....",
    "....kkkkk.MMM...",
    "...........MMM..",
    "............MMM.",
    ".............MM.",
}};

// A magnifying glass with a plus sign.
constexpr ToolImageArt kZoomInTool = {"Zoom In", {
    "................",
    "....kkkkk.......",
    "...k.....k......",
    "..k...b...k.....",
    ".k....b....k....",
    ".k....b....k....",
    ".k.bbbbbbb.k....",
    ".k....b....k....",
    ".k....b....k....",
    "..k...b...k.....",
    "...k.....kMM....",
    "....kkkkk.MMM...",
    "...........MMM..",
    "............MMM.",
    ".............MM.",
}};

// Two marked points joined by a path, over a ruler's scale.
constexpr ToolImageArt kDistanceTool = {"Distance", {
    "................",
    ".yyy............",
    ".yky............",
    ".yyyk...........",
    ".....k..........",
    "......k.........",
    ".......k........",
    "........k...rrr.",
    ".........k..rkr.",
    "..........kkrrr.",
    "................",
    "kkkkkkkkkkkkkkkk",
    "k.k.k.k.k.k.k.kk",
    "k...k...k...k..k",
    "kkkkkkkkkkkkkkkk",
}};

// A blue question mark.
constexpr ToolImageArt kHelpTool = {"Help", {
    "................",
    ".....bbbbbb.....",
    "....bb....bb....",
    "...bb......bb...",
    "...bb......bb...",
    "...........bb...",
    "..........bb....",
    ".........bb.....",
    "........bb......",
    ".......bb.......",
    ".......bb.......",
    "................",
    ".......bb.......",
    ".......bb.......",
    "................",
}};

// A door with an arrow leading out through it.
constexpr ToolImageArt kExitTool = {"Exit", {
    ".kkkkkkkkk......",
    ".kMMMMMMMk......",
    ".kMMMMMMMk......",
    ".kMMMMMMMk..r...",
    ".kMMMMMMMk..rr..",
    ".kMMMMrrrrrrrrr.",
    ".kMMMMrrrrrrrrrr",
    ".kMyMMrrrrrrrrr.",
    ".kMMMMMMMk..rr..",
    ".kMMMMMMMk..r...",
    ".kMMMMMMMk......",
    ".kMMMMMMMk......",
    ".kMMMMMMMk......",
    "kkkkkkkkkkk.....",
    "................",
}};

constexpr ToolImageArt kCountryMapTools[] = {kInfoTool,     kZoomOutTool, kZoomInTool,
                                             kDistanceTool, kHelpTool,    kExitTool};
constexpr ToolImageArt kReferenceMapTools[] = {kZoomOutTool, kZoomInTool, kExitTool};

constexpr ToolbarArt kToolbars[] = {
    {"countrymap_toolbar.bmp", 421, kCountryMapTools},
    {"referencemap_toolbar.bmp", 431, kReferenceMapTools},
};

// The palette index of a letter's colour; false for an unknown letter.
bool InkIndex(char letter, uint8_t& index) {
  const Ink* ink = std::find_if(std::begin(kInks), std::end(kInks),
                                [&](const Ink& i) { return i.letter == letter; });
  if (ink == std::end(kInks)) return false;
  const std::span<const Color> palette = tv::gfx::Vga16Palette();
  index = static_cast<uint8_t>(std::find(palette.begin(), palette.end(), ink->color) -
                               palette.begin());
  return true;
}


}  // namespace

std::span<const FaceArt> ScreenButtonFaces() { return kFaces; }

std::optional<tv::gfx::Bitmap> FaceBitmap(const FaceArt& face, std::string& error) {
  const std::span<const Color> palette = tv::gfx::Vga16Palette();
  tv::gfx::Bitmap bitmap(kFaceSize, kFaceSize, tv::gfx::PixelFormat::kIndexed4);
  bitmap.SetPalette(palette);
  for (int y = 0; y < kFaceSize; ++y) {
    const std::string_view row = face.rows[y];
    if (row.size() != kFaceSize) {
      error = std::string(face.file) + ": row " + std::to_string(y) + " is not 16 pixels wide";
      return std::nullopt;
    }
    for (int x = 0; x < kFaceSize; ++x) {
      const Ink* ink = std::find_if(std::begin(kInks), std::end(kInks),
                                    [&](const Ink& i) { return i.letter == row[x]; });
      if (ink == std::end(kInks)) {
        error = std::string(face.file) + ": unknown letter '" + row[x] + "' in row " +
                std::to_string(y);
        return std::nullopt;
      }
      const auto index = std::find(palette.begin(), palette.end(), ink->color) - palette.begin();
      bitmap.SetIndex(x, y, static_cast<uint8_t>(index));
    }
  }
  return bitmap;
}

std::span<const ToolbarArt> Toolbars() { return kToolbars; }

std::optional<tv::gfx::Bitmap> ToolbarBitmap(const ToolbarArt& toolbar, std::string& error) {
  const int count = static_cast<int>(toolbar.images.size());
  tv::gfx::Bitmap bitmap(kToolImageWidth * count, kToolImageHeight, tv::gfx::PixelFormat::kIndexed4);
  bitmap.SetPalette(tv::gfx::Vga16Palette());
  for (int i = 0; i < count; ++i) {
    const ToolImageArt& image = toolbar.images[i];
    for (int y = 0; y < kToolImageHeight; ++y) {
      const std::string_view row = image.rows[y];
      if (row.size() != kToolImageWidth) {
        error = std::string(toolbar.file) + ": " + std::string(image.name) + " row " +
                std::to_string(y) + " is not 16 pixels wide";
        return std::nullopt;
      }
      for (int x = 0; x < kToolImageWidth; ++x) {
        uint8_t index = 0;
        if (!InkIndex(row[x], index)) {
          error = std::string(toolbar.file) + ": " + std::string(image.name) +
                  ": unknown letter '" + row[x] + "' in row " + std::to_string(y);
          return std::nullopt;
        }
        bitmap.SetIndex(i * kToolImageWidth + x, y, index);
      }
    }
  }
  return bitmap;
}

}  // namespace terravue::artbuilder
