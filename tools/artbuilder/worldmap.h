#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/geometry.h"
#include "tools/artbuilder/topojson.h"

namespace terravue::artbuilder {

// The world map is a plate carree of the whole globe: pixel (x, y) covers
// longitude (x - 120) * 1.5 to (x - 119) * 1.5 and latitude (60 - y) * 1.5
// down to (59 - y) * 1.5. The night shading samples it with exactly this
// mapping, so it must not change.
inline constexpr int kMapWidth = 240;
inline constexpr int kMapHeight = 120;
inline constexpr double kDegreesPerPixel = 1.5;
// Samples per pixel along each axis; a pixel is land when at least half of
// its samples are.
inline constexpr int kSamplesPerSide = 4;

// True for a point of Russia that lies in Europe: west of the Ural ridge and,
// south of it, north and west of the Ural river; the Caucasus side is Europe.
bool IsEuropeanRussia(double lon, double lat);

// A Natural Earth name and the place of our tables it stands for.
struct AtlasAlias {
  std::string_view atlas;
  std::u16string_view place;
};
std::span<const AtlasAlias> AtlasAliases();

// Our place name for an atlas feature name (its spelling in the place
// tables), or nothing when the feature stands for no place of ours.
std::optional<std::u16string> PlaceOfAtlasName(std::string_view atlas_name);

// The place that one polygon of a feature stands for when it differs from
// the feature's own, as for the overseas departments of France, or for
// Crimea, which the atlas draws within Russia and the Factbook counts in
// Ukraine.
std::optional<std::u16string> PlaceOfOverseasPart(std::string_view atlas_name,
                                                  const Polygon& polygon);

// The map's pixel for a longitude and latitude.
tv::gfx::Point MapPixelOf(double lon, double lat);

struct MapLabel {
  std::u16string text;
  int region = 0;
  tv::gfx::Point position;  // top-left of the text cell
  tv::gfx::Color color;
};

// The region labels with their positions and colours.
const std::vector<MapLabel>& MapLabels();

struct WorldMap {
  tv::gfx::Bitmap bitmap;
  // Per pixel (row-major): the region whose key colour the pixel carries, or
  // -1 for sea, shadow, land without a key colour and label ink.
  std::vector<int> intended;
  // Key-coloured pixels per region before settling.
  int region_pixels[7] = {};
  // Pixels of a place that its key colour would give to another region (or
  // that lie at x = 0) and that are drawn silver instead, by place name.
  std::map<std::string, int> settled;
  // Land pixels of features that stand for no place of ours, by atlas name.
  std::map<std::string, int> unassigned;
  // Features that stand for no place of ours, whether or not they show.
  std::vector<std::string> unassigned_features;
  // Ink pixels of each label: how many lie on their own region, and how many
  // on another region's key colour (which would make the label misleading).
  struct LabelCoverage {
    std::string text;
    tv::gfx::Color color;
    int ink = 0;
    int on_region = 0;
    int on_other_region = 0;
    tv::gfx::Point position;  // where it was drawn
  };
  std::vector<LabelCoverage> labels;
};

// Paints land, key colours, settled pixels and the sea shadow from the
// country features. Labels come separately, since they need a font.
WorldMap BuildWorldMap(const std::vector<Feature>& countries);

// Writes the region labels onto the map, each moved at most a few pixels
// from its chosen position to stay off other regions. Fails when no font
// answers or a label finds no room.
bool DrawMapLabels(WorldMap& map, std::string& error);

// Checks the whole map: size, palette, and that every key-coloured pixel
// resolves by colour and x to the region it was painted for and none lies at
// x = 0. Returns one message per kind of fault, empty when the map is sound.
std::vector<std::string> CheckWorldMap(const tv::gfx::Bitmap& bitmap, const std::vector<int>& intended);

}  // namespace terravue::artbuilder
