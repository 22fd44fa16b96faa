#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/gfx/bitmap.h"

namespace terravue::artbuilder {

inline constexpr int kFaceSize = 16;

// A 16 by 16 button face drawn as letters, one per pixel and one letter per
// colour of the standard 16-colour palette (see FaceBitmap).
struct FaceArt {
  std::string_view file;  // file name under bitmaps/
  std::string_view resource;  // resource name
  std::array<std::string_view, kFaceSize> rows;
};

// The seven screen button faces.
std::span<const FaceArt> ScreenButtonFaces();

// Paints a face into a 4-bit bitmap with the standard palette. Letters:
// '.' white, 'k' black, 'M' maroon, 'g' green, 'O' olive, 'N' navy,
// 'P' purple, 'T' teal, 's' silver, 'd' grey, 'r' red, 'l' lime, 'y' yellow,
// 'b' blue, 'f' fuchsia, 'c' aqua. Fails on a row of the wrong length or an
// unknown letter.
std::optional<tv::gfx::Bitmap> FaceBitmap(const FaceArt& face, std::string& error);

// Toolbar images: 16 by 15 pixels each, side by side in one strip, in the
// letters of FaceBitmap.
inline constexpr int kToolImageWidth = 16;
inline constexpr int kToolImageHeight = 15;

struct ToolImageArt {
  std::string_view name;
  std::array<std::string_view, kToolImageHeight> rows;
};

struct ToolbarArt {
  std::string_view file;  // file name under bitmaps/
  int number;             // resource number
  std::span<const ToolImageArt> images;
};

// Toolbar 421 of the country map (Country Info, Zoom Out, Zoom In,
// Distance, Help, Exit) and 431 of the reference map (Zoom Out, Zoom In,
// Exit).
std::span<const ToolbarArt> Toolbars();

// Paints a toolbar's images into one 4-bit strip with the standard palette.
// Fails as FaceBitmap does.
std::optional<tv::gfx::Bitmap> ToolbarBitmap(const ToolbarArt& toolbar, std::string& error);

}  // namespace terravue::artbuilder
