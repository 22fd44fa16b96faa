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
// What the country map screen shows of a map when it opens: the map's
// top-left corner, as much as its client area beside the two scroll bars
// holds.
inline constexpr int kOpeningWidth = 227;
inline constexpr int kOpeningHeight = 255;
// A place's point opens at least this many pixels inside the opening view,
// so that the ring drawn about a place too small to show is seen whole.
inline constexpr int kPointInset = 12;
// The least room a map leaves west of and above its place.
inline constexpr int kPlaceEdge = 10;

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

// Metres to either side of a frame's centre, east-west and north-south.
struct Extent {
  double half_width = 0;
  double half_height = 0;
};

// The frame that opens on its place: an azimuthal equidistant frame about
// `centre` that shows `place` (the place's land) whole and as much of
// `context` (its surroundings) as kLongSide pixels hold, with `point` (which
// lies within `place`) in the opening view, at least kPointInset pixels
// inside it:
// - a place that fits the opening view with its margins at the context's
//   scale gets a map of exactly the view's size, about its middle;
// - any other keeps the context's scale where it can: its map is cut at most
//   to kPlaceEdge pixels west of and above the place so that the point opens
//   in view, or as near the view's middle as the place allows; only where
//   that is not enough is the scale made coarser.
// `margin` is the share of the place's extent added to either side of it
// where there is room.
Frame OpeningFrame(terravue::LonLat centre, Extent place, double margin, Extent context,
                   std::optional<terravue::LonLat> point);

// The frame of a place: about the centre of its main polygons (those holding
// at least a few percent of its area, and the others among them), showing
// them and its Factbook point with a margin, amid surroundings never
// narrower than half their length nor smaller than kMinHalfExtentMetres to a
// side, framed by OpeningFrame.
Frame PlaceFrame(const Atlas& atlas, int place, std::optional<terravue::LonLat> factbook);

// The faults of a map's opening view: its place's point must lie within the
// first kOpeningWidth x kOpeningHeight pixels, and for a ringed place the
// whole ring. Empty when the map opens on its place.
std::string CheckOpeningView(const terravue::Georef& georef, terravue::LonLat point, bool ringed);

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
// without covering an earlier one or a rectangle of `taken`; a city whose
// marker would fall on an earlier label is left out. Returns the labels
// drawn.
std::vector<std::string> DrawMarkers(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef,
                                     const std::vector<Marker>& markers,
                                     std::vector<tv::gfx::Rect> taken = {});

// A group of a place's islands, named on its map where the islands are too
// small to be seen at the map's scale: the place's polygons whose centre
// lies in the box belong to it.
struct IslandGroup {
  const char* place;
  const char* name;
  double lon_min, lon_max, lat_min, lat_max;
};

// Outlines each group's islands on the map (a frame a few pixels around
// them, in the ring colour) and writes the group's name beside the frame.
// Returns the rectangles the names take, for the markers to keep clear of;
// a group without islands on the map is left out.
std::vector<tv::gfx::Rect> DrawIslandGroups(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef,
                                        const Atlas& atlas, int place,
                                        const std::vector<IslandGroup>& groups);

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
