#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maps/georef.h"
#include "platform/gfx/bitmap.h"
#include "tools/artbuilder/topojson.h"

namespace terravue::mapbuilder {

// Longest side of a map at its natural size, in pixels.
inline constexpr int kLongSide = 480;
// Half the width of the smallest area a map shows, so that even the
// smallest place is seen among its neighbours and coasts.
inline constexpr double kMinHalfExtentMetres = 250000;

// The first "DD MM H, DDD MM H" pair of a Factbook coordinates text
// ("21 06 S, 55 36 E"), or nothing when the text holds none.
std::optional<terravue::LonLat> ParseFactbookCoordinates(std::string_view text);

// The file stem of a place's map: ASCII letters and digits, every other run
// of characters one underscore ("Korea, South" -> "Korea_South").
std::string MapStem(std::string_view place);

// The colours of a map, in palette order.
enum MapColour : uint8_t {
  kSea,
  kOtherLand,
  kPlaceLand,
  kCoast,
  kBorder,
  kCapital,
  kInk,
  kHalo,
  kSmallPlaceRing,
  kPaletteUsed,
};
std::vector<tv::gfx::Color> MapPalette();  // 16 entries, the unused ones black

// One polygon of the atlas with what it stands for.
struct Shape {
  int owner = -1;    // index into the place list, or -1 for land of no place
  int feature = -1;  // feature index in its topology
  artbuilder::Polygon polygon;
  double area_km2 = 0;
  double lon_min = 0, lon_max = 0, lat_min = 0, lat_max = 0;  // unwrapped
};

struct Atlas {
  std::vector<std::string> places;  // UTF-8 names; a shape's owner indexes this
  std::vector<Shape> countries;     // Natural Earth admin-0 polygons
  std::vector<Shape> land;          // Natural Earth land polygons
};

// Sorts the polygons of the two topologies to the places of `places`.
Atlas BuildAtlas(const std::vector<artbuilder::Feature>& countries, const std::vector<artbuilder::Feature>& land,
                 std::vector<std::string> places);

// The area and position a map shows.
struct Frame {
  terravue::Georef georef;
  int width = 0;
  int height = 0;
};

// The world in plate carree, 480 x 240 pixels of 0.75 degrees.
Frame WorldFrame();

// An azimuthal equidistant frame about `centre`, `half_width` and
// `half_height` metres to either side, at most kLongSide pixels long.
Frame AzimuthalFrame(terravue::LonLat centre, double half_width, double half_height);

// The frame of a place: about the centre of its main polygons (those holding
// at least a few percent of its area, and the others among them), wide
// enough to hold them and its Factbook point with a margin, never narrower
// than half its length nor smaller than kMinHalfExtentMetres to a side.
Frame PlaceFrame(const Atlas& atlas, int place, std::optional<terravue::LonLat> factbook);

// What each pixel of a frame shows.
inline constexpr int kSeaCode = -1;
inline constexpr int kUnownedLandCode = 1 << 20;
struct Classes {
  int width = 0;
  int height = 0;
  // Per pixel, row-major: kSeaCode; a place index; kUnownedLandCode plus a
  // feature index for a country of no place of ours; 2 * kUnownedLandCode
  // for land in no country.
  std::vector<int> code;
  int At(int x, int y) const { return code[static_cast<size_t>(y) * width + x]; }
};
Classes Classify(const Atlas& atlas, const Frame& frame);

// Paints the classes: the place (-1 for none) in its colour, other land,
// sea, and coasts and borders between them.
tv::gfx::Bitmap PaintClasses(const Classes& classes, int place);

// How far, in pixels up to `radius`, the pixel holding `point` lies from a
// pixel of class `code`: 0 when on it, nothing when farther or off the map.
std::optional<int> DistanceToClass(const Classes& classes, const terravue::Georef& georef,
                                   terravue::LonLat point, int code, int radius);

// A point to mark and label on a map.
struct Marker {
  terravue::LonLat where;
  std::string label;  // UTF-8; may be empty
  bool capital = false;
};

// Draws the markers in order, each with its label beside it where it fits
// without covering an earlier one; a city whose marker would fall on an
// earlier label is left out. Returns the labels drawn.
std::vector<std::string> DrawMarkers(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef,
                                     const std::vector<Marker>& markers);

// Writes a name across the middle of the map, for the oceans.
void DrawCentredName(tv::gfx::Bitmap& bitmap, const std::string& name);

// Rings a point, for places too small to show as land.
void DrawRing(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef, terravue::LonLat point);

// Writes a palette bitmap as a GIF and reads it back; false when either
// fails or the pixels differ.
bool WriteGif(const tv::gfx::Bitmap& bitmap, const std::string& path, std::string& error);

// Decodes a GIF's first image into palette indices (for checks).
struct GifImage {
  int width = 0;
  int height = 0;
  int colours = 0;
  std::vector<uint8_t> indices;
};
std::optional<GifImage> ReadGif(const std::string& path);

}  // namespace terravue::mapbuilder
