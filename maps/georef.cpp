#include "maps/georef.h"

#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geodesic.hpp>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/files/files.h"

namespace terravue {

namespace {

constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84InverseF = 298.257223563;

const GeographicLib::Geodesic& Wgs84() { return GeographicLib::Geodesic::WGS84(); }

// A projected point counts as the same when it comes back within this many
// metres; farther off, the pixel lies beyond the projection's disc and the
// geodesic has wrapped round the Earth.
constexpr double kRoundTripMetres = 0.01;

std::string Number(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

// One node of a WKT text: KEYWORD[arg, arg, ...]. Quoted strings and numbers
// are kept as text leaves.
struct WktNode {
  std::string keyword;  // upper case; empty for a leaf
  std::string text;     // a leaf's string (quotes removed) or number
  std::vector<std::unique_ptr<WktNode>> children;

  const WktNode* Child(std::string_view key) const {
    for (const auto& child : children) {
      if (child->keyword == key) return child.get();
    }
    return nullptr;
  }
  std::optional<double> NumberAt(size_t index) const {
    if (index >= children.size() || !children[index]->keyword.empty()) return std::nullopt;
    const std::string& s = children[index]->text;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
  }
  std::string TextAt(size_t index) const {
    if (index >= children.size() || !children[index]->keyword.empty()) return {};
    return children[index]->text;
  }
};

class WktParser {
 public:
  explicit WktParser(std::string_view text) : text_(text) {}

  std::unique_ptr<WktNode> ParseRoot() {
    auto node = ParseNode(0);
    SkipSpace();
    if (node == nullptr || pos_ != text_.size() || node->keyword.empty()) return nullptr;
    return node;
  }

 private:
  static constexpr int kMaxDepth = 16;

  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  std::unique_ptr<WktNode> ParseNode(int depth) {
    if (depth > kMaxDepth) return nullptr;
    SkipSpace();
    if (pos_ >= text_.size()) return nullptr;
    auto node = std::make_unique<WktNode>();
    if (text_[pos_] == '"') {
      const size_t close = text_.find('"', pos_ + 1);
      if (close == std::string_view::npos) return nullptr;
      node->text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
      return node;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '[' && text_[pos_] != ']' &&
           text_[pos_] != ',' && !std::isspace(static_cast<unsigned char>(text_[pos_]))) {
      ++pos_;
    }
    const std::string word(text_.substr(start, pos_ - start));
    if (word.empty()) return nullptr;
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != '[') {
      node->text = word;  // a number or a bare enumeration value such as EAST
      return node;
    }
    for (char ch : word) node->keyword += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    ++pos_;  // '['
    while (true) {
      auto child = ParseNode(depth + 1);
      if (child == nullptr) return nullptr;
      node->children.push_back(std::move(child));
      SkipSpace();
      if (pos_ >= text_.size()) return nullptr;
      if (text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (text_[pos_] == ']') {
        ++pos_;
        return node;
      }
      return nullptr;
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

// A GEOGCS on the WGS84 ellipsoid with the Greenwich meridian and degrees.
bool IsWgs84Geogcs(const WktNode& geogcs) {
  const WktNode* datum = geogcs.Child("DATUM");
  const WktNode* spheroid = datum ? datum->Child("SPHEROID") : nullptr;
  if (spheroid == nullptr) return false;
  const auto a = spheroid->NumberAt(1);
  const auto inverse_f = spheroid->NumberAt(2);
  if (!a || !inverse_f || std::abs(*a - kWgs84A) > 1e-3 ||
      std::abs(*inverse_f - kWgs84InverseF) > 1e-6) {
    return false;
  }
  if (const WktNode* primem = geogcs.Child("PRIMEM")) {
    const auto meridian = primem->NumberAt(1);
    if (!meridian || *meridian != 0) return false;
  }
  if (const WktNode* unit = geogcs.Child("UNIT")) {
    const auto radians = unit->NumberAt(1);
    if (!radians || std::abs(*radians - M_PI / 180) > 1e-12) return false;
  }
  return true;
}

}  // namespace

Georef Georef::PlateCarree(const WorldFile& world) {
  Georef g;
  g.projection_ = Projection::kPlateCarree;
  g.world_ = world;
  return g;
}

Georef Georef::AzimuthalEquidistant(LonLat centre, const WorldFile& world) {
  Georef g;
  g.projection_ = Projection::kAzimuthalEquidistant;
  g.centre_ = centre;
  g.world_ = world;
  return g;
}

std::optional<LonLat> Georef::PixelToLonLat(PixelPos pixel) const {
  const double x = world_.a * pixel.x + world_.b * pixel.y + world_.c;
  const double y = world_.d * pixel.x + world_.e * pixel.y + world_.f;
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  if (projection_ == Projection::kPlateCarree) {
    if (x < -180 || x > 180 || y < -90 || y > 90) return std::nullopt;
    return LonLat{x, y};
  }
  const GeographicLib::AzimuthalEquidistant projection(Wgs84());
  double lat = 0;
  double lon = 0;
  double azimuth = 0;
  double scale = 0;
  projection.Reverse(centre_.lat, centre_.lon, x, y, lat, lon, azimuth, scale);
  if (!std::isfinite(lat) || !std::isfinite(lon)) return std::nullopt;
  // Beyond the disc the geodesic runs past the antipode and comes back from
  // the other side, so projecting its end again lands somewhere else.
  double back_x = 0;
  double back_y = 0;
  projection.Forward(centre_.lat, centre_.lon, lat, lon, back_x, back_y, azimuth, scale);
  if (!std::isfinite(back_x) || std::hypot(back_x - x, back_y - y) > kRoundTripMetres) {
    return std::nullopt;
  }
  return LonLat{lon, lat};
}

std::optional<PixelPos> Georef::LonLatToPixel(LonLat point) const {
  if (!std::isfinite(point.lon) || !std::isfinite(point.lat) || point.lat < -90 || point.lat > 90) {
    return std::nullopt;
  }
  double x = 0;
  double y = 0;
  if (projection_ == Projection::kPlateCarree) {
    x = std::remainder(point.lon, 360.0);
    if (x == -180 && point.lon > 0) x = 180;
    y = point.lat;
  } else {
    const GeographicLib::AzimuthalEquidistant projection(Wgs84());
    double azimuth = 0;
    double scale = 0;
    projection.Forward(centre_.lat, centre_.lon, point.lat, point.lon, x, y, azimuth, scale);
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  }
  const double det = world_.a * world_.e - world_.b * world_.d;
  if (det == 0 || !std::isfinite(det)) return std::nullopt;
  const double dx = x - world_.c;
  const double dy = y - world_.f;
  return PixelPos{(world_.e * dx - world_.b * dy) / det, (world_.a * dy - world_.d * dx) / det};
}

std::optional<PixelPos> Georef::TurnStep() const {
  const double det = world_.a * world_.e - world_.b * world_.d;
  if (projection_ != Projection::kPlateCarree || det == 0 || !std::isfinite(det)) {
    return std::nullopt;
  }
  return PixelPos{world_.e * 360 / det, -world_.d * 360 / det};
}

double Georef::KmPerPixelAtCentre(int width, int height) const {
  const PixelPos centre{(width - 1) / 2.0, (height - 1) / 2.0};
  const auto a = PixelToLonLat({centre.x - 0.5, centre.y});
  const auto b = PixelToLonLat({centre.x + 0.5, centre.y});
  if (!a || !b) return -1;
  double metres = 0;
  Wgs84().Inverse(a->lat, a->lon, b->lat, b->lon, metres);
  return metres / 1000;
}

std::string Georef::FormatWorldFile() const {
  std::string out;
  for (double v : {world_.a, world_.d, world_.b, world_.e, world_.c, world_.f}) out += Number(v) + "\n";
  return out;
}

std::string Georef::FormatPrj(std::string_view name) const {
  const std::string geogcs =
      "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563,"
      "AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],"
      "PRIMEM[\"Greenwich\",0,AUTHORITY[\"EPSG\",\"8901\"]],"
      "UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]]";
  if (projection_ == Projection::kPlateCarree) {
    return geogcs + ",AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],AUTHORITY[\"EPSG\",\"4326\"]]\n";
  }
  std::string safe_name;
  for (char ch : name) safe_name += ch == '"' ? '\'' : ch;
  return "PROJCS[\"" + safe_name + "\"," + geogcs + "]," +
         "PROJECTION[\"Azimuthal_Equidistant\"]," +
         "PARAMETER[\"latitude_of_center\"," + Number(centre_.lat) + "]," +
         "PARAMETER[\"longitude_of_center\"," + Number(centre_.lon) + "]," +
         "PARAMETER[\"false_easting\",0],PARAMETER[\"false_northing\",0]," +
         "UNIT[\"metre\",1,AUTHORITY[\"EPSG\",\"9001\"]]," +
         "AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH]]\n";
}

std::optional<WorldFile> ParseWorldFile(std::string_view text) {
  std::istringstream in{std::string(text)};
  double values[6];
  std::string line;
  int count = 0;
  while (count < 6 && std::getline(in, line)) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    size_t start = 0;
    while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
    if (start == line.size()) continue;  // blank lines are tolerated
    const std::string token = line.substr(start);
    char* end = nullptr;
    values[count] = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || !std::isfinite(values[count])) return std::nullopt;
    ++count;
  }
  if (count < 6) return std::nullopt;
  const WorldFile world{values[0], values[1], values[2], values[3], values[4], values[5]};
  const double det = world.a * world.e - world.b * world.d;
  if (det == 0 || !std::isfinite(det)) return std::nullopt;
  return world;
}

std::optional<Georef> ParsePrj(std::string_view wkt, const WorldFile& world) {
  WktParser parser(wkt);
  const auto root = parser.ParseRoot();
  if (root == nullptr) return std::nullopt;
  if (root->keyword == "GEOGCS") {
    if (!IsWgs84Geogcs(*root)) return std::nullopt;
    return Georef::PlateCarree(world);
  }
  if (root->keyword != "PROJCS") return std::nullopt;
  const WktNode* geogcs = root->Child("GEOGCS");
  const WktNode* projection = root->Child("PROJECTION");
  if (geogcs == nullptr || !IsWgs84Geogcs(*geogcs) || projection == nullptr) return std::nullopt;
  if (Lower(projection->TextAt(0)) != "azimuthal_equidistant") return std::nullopt;
  std::optional<double> lat;
  std::optional<double> lon;
  for (const auto& child : root->children) {
    if (child->keyword != "PARAMETER") continue;
    const std::string key = Lower(child->TextAt(0));
    const auto value = child->NumberAt(1);
    if (!value) return std::nullopt;
    if (key == "latitude_of_center" || key == "latitude_of_origin") {
      lat = value;
    } else if (key == "longitude_of_center" || key == "central_meridian") {
      lon = value;
    } else if (key == "false_easting" || key == "false_northing") {
      if (*value != 0) return std::nullopt;
    } else {
      return std::nullopt;  // a parameter this reader does not apply
    }
  }
  if (!lat || !lon || *lat < -90 || *lat > 90 || *lon < -540 || *lon > 540) return std::nullopt;
  const WktNode* unit = root->Child("UNIT");
  const auto metres = unit ? unit->NumberAt(1) : std::nullopt;
  if (!metres || *metres != 1) return std::nullopt;
  return Georef::AzimuthalEquidistant({*lon, *lat}, world);
}

std::optional<Georef> ReadGeoref(const std::filesystem::path& image) {
  // Only a regular file: a pipe in its place would block the opening. The
  // files layer opens it as it opens the map image (a page fetches both).
  // A georeference is a few hundred bytes; one byte past the cap is enough
  // to tell that a file is not one, whatever its size.
  auto read = [](const std::filesystem::path& path) -> std::optional<std::string> {
    std::optional<std::string> text = tv::files::ReadRegularFile(path, kMaxGeorefFileSize);
    if (text && text->size() > kMaxGeorefFileSize) return std::nullopt;
    return text;
  };
  std::filesystem::path gfw = image;
  gfw.replace_extension(".gfw");
  std::filesystem::path prj = image;
  prj.replace_extension(".prj");
  const auto gfw_text = read(gfw);
  const auto prj_text = read(prj);
  if (!gfw_text || !prj_text) return std::nullopt;
  const auto world = ParseWorldFile(*gfw_text);
  if (!world) return std::nullopt;
  return ParsePrj(*prj_text, *world);
}

}  // namespace terravue
