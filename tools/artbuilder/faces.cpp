#include "tools/artbuilder/faces.h"

#include <algorithm>

namespace tv::art {
namespace {

using gfx::Color;

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

}  // namespace

std::span<const FaceArt> ScreenButtonFaces() { return kFaces; }

std::optional<gfx::Bitmap> FaceBitmap(const FaceArt& face, std::string& error) {
  const std::span<const Color> palette = gfx::Vga16Palette();
  gfx::Bitmap bitmap(kFaceSize, kFaceSize, gfx::PixelFormat::kIndexed4);
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

}  // namespace tv::art
