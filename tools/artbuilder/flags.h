#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace terravue::artbuilder {

inline constexpr int kFlagWidth = 64;
inline constexpr int kFlagHeight = 32;
inline constexpr int kFlagColors = 16;

// One flag bitmap to draw: the stem the country data names and the drawing
// of the SVG flag set it comes from.
struct FlagEntry {
  std::string stem;
  std::string code;
};

// Reads the data builder's manifest, "stem<TAB>code" lines. Fails on a
// malformed line, a stem that is not letters, digits and "_", or a stem named
// twice.
std::optional<std::vector<FlagEntry>> ReadFlagManifest(const std::filesystem::path& path,
                                                       std::string& error);

// The bitmap resource name of a stem ("France" gives "FRANCE_FLAG") and its
// file under the resource folder ("bitmaps/flags/france.bmp").
std::string FlagResourceName(std::string_view stem);
std::string FlagFileName(std::string_view stem);

// Draws an SVG stretched to width x height over white with librsvg, in full
// colour. Fails when the file cannot be read or drawn.
std::optional<tv::gfx::Bitmap> RasteriseSvg(const std::filesystem::path& svg, int width, int height,
                                        std::string& error);

// Reduces a full-colour bitmap to a 4-bit bitmap with a palette of its own of
// at most 16 colours (libimagequant, no dithering, so that flat areas keep
// one colour each). Unused palette entries are black.
std::optional<tv::gfx::Bitmap> QuantiseTo16Colors(const tv::gfx::Bitmap& source, std::string& error);

// Replaces the flag lines of a resource list (between the kFlagBlockBegin
// and kFlagBlockEnd comment lines, appended at the end when the list has
// none) with one line per entry.
inline constexpr std::string_view kFlagBlockBegin =
    "# Flags: written by terravue-artbuilder from data/place-flags.tsv";
inline constexpr std::string_view kFlagBlockEnd = "# End of flags";
std::string ReplaceFlagBlock(std::string_view list, const std::vector<FlagEntry>& flags);

// The two 16 by 16 images of the country list's rows: a black round bullet
// about 7 pixels across in the middle of a white square, and all white.
tv::gfx::Bitmap BulletBitmap();
tv::gfx::Bitmap BlankBitmap();

}  // namespace terravue::artbuilder
