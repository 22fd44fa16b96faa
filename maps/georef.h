#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace terravue {

// A position on the WGS84 ellipsoid, in degrees.
struct LonLat {
  double lon = 0;
  double lat = 0;
};

// A position in map pixels; (0, 0) is the centre of the top-left pixel.
struct PixelPos {
  double x = 0;
  double y = 0;
};

// The six numbers of a world file (.gfw) in file order: x size of a pixel,
// two rotation terms, y size of a pixel (negative for north up), and the map
// coordinates of the centre of the top-left pixel.
struct WorldFile {
  double a = 1;  // x per column
  double d = 0;  // y per column
  double b = 0;  // x per row
  double e = -1; // y per row
  double c = 0;  // x of the top-left pixel's centre
  double f = 0;  // y of the top-left pixel's centre
};

enum class Projection {
  kPlateCarree,           // map x, y are longitude and latitude in degrees
  kAzimuthalEquidistant,  // map x, y are metres east and north of the centre
};

// How the pixels of one map image relate to the Earth.
class Georef {
 public:
  static Georef PlateCarree(const WorldFile& world);
  static Georef AzimuthalEquidistant(LonLat centre, const WorldFile& world);

  Projection GetProjection() const { return projection_; }
  LonLat Centre() const { return centre_; }
  const WorldFile& World() const { return world_; }

  // The point of the Earth that a pixel position shows, or nothing where the
  // map shows none: outside -180..180 and -90..90 on a plate carree, beyond
  // the projection's disc on an azimuthal map.
  std::optional<LonLat> PixelToLonLat(PixelPos pixel) const;
  // The pixel position of a point; nothing when the world file cannot be
  // inverted or the point has no place on the map.
  std::optional<PixelPos> LonLatToPixel(LonLat point) const;

  // The pixel step of one turn of longitude east on a plate carree, whose
  // columns repeat every 360 degrees; nothing on other projections or when
  // the world file cannot be inverted.
  std::optional<PixelPos> TurnStep() const;

  // Geodesic length in kilometres of one pixel step east from the map's
  // centre pixel.
  double KmPerPixelAtCentre(int width, int height) const;

  // The two files written beside a map image.
  std::string FormatWorldFile() const;
  std::string FormatPrj(std::string_view name) const;

 private:
  Projection projection_ = Projection::kPlateCarree;
  LonLat centre_;
  WorldFile world_;
};

// Parses the six lines of a world file; nothing when a line is missing or
// not a finite number, or the pixel axes are degenerate.
std::optional<WorldFile> ParseWorldFile(std::string_view text);

// Reads a WKT coordinate system and joins it with a world file: a GEOGCS on
// WGS84 gives a plate carree, a PROJCS with an azimuthal equidistant
// projection on WGS84 in metres gives that projection about its centre.
// Anything else (another datum or ellipsoid, another projection, false
// eastings, a unit other than the metre) gives nothing.
std::optional<Georef> ParsePrj(std::string_view wkt, const WorldFile& world);

// The .gfw and .prj beside `image` ("France.gif" -> "France.gfw", "France.prj").
// Files larger than kMaxGeorefFileSize are not georeferences and are read no
// further.
inline constexpr size_t kMaxGeorefFileSize = 64 * 1024;
std::optional<Georef> ReadGeoref(const std::filesystem::path& image);

}  // namespace terravue
