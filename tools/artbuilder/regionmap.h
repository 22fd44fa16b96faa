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

// One region map: its bitmap, size and the longitude/latitude window that a
// plain plate carree would show in it before the fitted warp moves things.
struct RegionMapSheet {
  int region = 0;
  int resource = 0;
  std::string_view file;  // under resources/bitmaps/
  int width = 0;
  int height = 0;
  double lon_left = 0, lon_right = 0, lat_top = 0, lat_bottom = 0;
};
std::span<const RegionMapSheet> RegionMapSheets();

struct Vec2 {
  double x = 0;
  double y = 0;
};

// Land that a mapped place cannot hit, and land of places not on the map:
// a pale sand that is no key colour of any region table.
inline constexpr tv::gfx::Color kNeutralLand{232, 220, 184};

// An increasing piecewise-linear function through (at[k], value[k]), continued
// beyond its ends with its end slopes.
struct PiecewiseLinear {
  std::vector<double> at;
  std::vector<double> value;

  double Map(double t) const;
  // The inverse; only meaningful while the values increase.
  double Unmap(double v) const;
};

// Enlarges the land within `radius` of a centre by `zoom`, as atlases draw
// small states, and squeezes the ring around it so that the neighbours stay
// attached: nothing is covered or torn, and beyond Outer() nothing moves.
struct Lens {
  std::u16string place;
  double cx = 0, cy = 0;  // centre, in the coordinates the lens is applied to
  double radius = 0;      // of the land it enlarges, before enlarging
  double zoom = 1;

  double Inner() const { return radius * zoom; }
  double Outer() const { return radius * zoom * 2.5 + 3; }
  // Maps a point outwards (enlarging) and back.
  Vec2 Forward(Vec2 p) const;
  Vec2 Inverse(Vec2 q) const;
};

// How base coordinates (the plate carree of the sheet's window, in pixels)
// become map pixels: lenses about small places, then a monotone warp of each
// axis, then a vertical offset that varies smoothly with the column. Every
// step is a bijection that keeps north up and west left, so neighbours stay
// neighbours.
struct RegionMapLayout {
  PiecewiseLinear warp_x;  // map x -> base x
  PiecewiseLinear warp_y;  // map y (less the column offset) -> base y
  PiecewiseLinear shift;   // map x -> vertical offset in pixels
  std::vector<Lens> lenses;
  std::vector<Vec2> lens_base_centres;  // where each lens sits in base coordinates
};

// A place's position from the Factbook ("46 00 N, 2 00 E"), in degrees.
struct GeoPosition {
  double lon = 0;
  double lat = 0;
};
std::optional<GeoPosition> ParseFactbookCoordinates(std::string_view text);
// The "coordinates" field of every block of the country data file, by name.
std::map<std::u16string, GeoPosition> ReadFactbookCoordinates(const std::string& path);

struct CountryFigures {
  std::u16string name;
  int owned = 0;  // interior pixels that are this place's land
  int hit = 0;    // of them, drawn in its key colour and hitting its own row
  double zoom = 1;
  bool has_block = false;
  tv::gfx::Point tap;  // centre of a 5x5 block that hits it
  bool has_position = false;
  tv::gfx::Point position_pixel;     // its Factbook coordinates on the map
  bool position_on_land = false;  // that pixel is its own land
  bool position_hits = false;
  double centre_x = 0, centre_y = 0;  // centre of its hit pixels
};

struct RegionMap {
  RegionMapSheet sheet;
  RegionMapLayout layout;
  tv::gfx::Bitmap bitmap;
  std::vector<CountryFigures> countries;  // one per mapped row
  int owned = 0;
  int hit = 0;
  // Pairs whose Factbook positions are more than 8 degrees apart along an
  // axis but whose hit centres lie the other way round.
  std::vector<std::string> order_faults;
};

// Rasterises the atlas for one map, fits the layout (warps and lenses) so
// that each mapped place falls into its hit bands, and draws the bitmap.
RegionMap BuildRegionMap(const RegionMapSheet& sheet, const std::vector<Feature>& countries,
                         const std::map<std::u16string, GeoPosition>& positions);

// Target faults of a built map: overall and per-place hit shares, hit pixels,
// tap blocks, Factbook positions and order. Empty when the map meets them.
std::vector<std::string> CheckRegionMapTargets(const RegionMap& map);

// Whether the 5x5 block centred on (x, y) hits `row` of `region`'s table,
// read as stored and as a 16-bit display gives it back.
bool BlockHits(const tv::gfx::Bitmap& bitmap, int region, int row, tv::gfx::Point centre);
// The 5x5 block of `row` nearest to `near`, or nothing.
std::optional<tv::gfx::Point> FindTapBlock(const tv::gfx::Bitmap& bitmap, int region, int row,
                                       Vec2 near);

// The generated header with one tap point per mapped place of every map.
std::string TapTableSource(const std::vector<RegionMap>& maps);

}  // namespace terravue::artbuilder
