#include "tools/mapbuilder/mapmaker.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <map>
#include <memory>
#include <regex>

#include "platform/base/utf.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"
#include "tools/artbuilder/raster.h"
#include "tools/artbuilder/worldmap.h"

namespace terravue::mapbuilder {

namespace {

using artbuilder::Polygon;
using terravue::LonLat;
using terravue::PixelPos;

constexpr double kMetresPerDegree = 111320;
// Polygons holding at least this share of a place's area decide its frame.
constexpr double kMainShare = 0.03;
// Margin around the main polygons, as a share of their extent.
constexpr double kMargin = 0.12;
// Lon/lat cells per pixel side when sorting pixels to polygons, and the
// most cells one map may use.
constexpr double kCellsPerPixel = 2;
constexpr double kMaxCells = 40e6;
// The ring about a place too small to show reaches this far from its point.
constexpr int kRingRadius = 9;

const GeographicLib::AzimuthalEquidistant& Projector() {
  static const GeographicLib::AzimuthalEquidistant projector(GeographicLib::Geodesic::WGS84());
  return projector;
}

void Forward(LonLat centre, LonLat p, double& x, double& y) {
  double azimuth = 0;
  double scale = 0;
  Projector().Forward(centre.lat, centre.lon, p.lat, p.lon, x, y, azimuth, scale);
}

LonLat Reverse(LonLat centre, double x, double y) {
  double lat = 0;
  double lon = 0;
  double azimuth = 0;
  double scale = 0;
  Projector().Reverse(centre.lat, centre.lon, x, y, lat, lon, azimuth, scale);
  return {lon, lat};
}

Shape MakeShape(int owner, int feature, const Polygon& polygon) {
  Shape shape;
  shape.owner = owner;
  shape.feature = feature;
  shape.polygon = polygon;
  const Polygon unwrapped = artbuilder::UnwrapPolygon(polygon);
  shape.lon_min = shape.lat_min = 1e9;
  shape.lon_max = shape.lat_max = -1e9;
  for (const artbuilder::Ring& ring : unwrapped) {
    for (const artbuilder::GeoPoint& p : ring) {
      shape.lon_min = std::min(shape.lon_min, p.lon);
      shape.lon_max = std::max(shape.lon_max, p.lon);
      shape.lat_min = std::min(shape.lat_min, p.lat);
      shape.lat_max = std::max(shape.lat_max, p.lat);
    }
  }
  // Shoelace over the outer ring with longitudes shrunk by the cosine of
  // each edge's latitude: near enough to rank the polygons of one place.
  if (!unwrapped.empty()) {
    const artbuilder::Ring& ring = unwrapped.front();
    double sum = 0;
    for (size_t k = 0; k < ring.size(); ++k) {
      const artbuilder::GeoPoint& a = ring[k];
      const artbuilder::GeoPoint& b = ring[(k + 1) % ring.size()];
      const double c = std::cos((a.lat + b.lat) / 2 * M_PI / 180);
      sum += (a.lon * c) * b.lat - (b.lon * c) * a.lat;
    }
    shape.area_km2 = std::abs(sum) / 2 * (kMetresPerDegree / 1000) * (kMetresPerDegree / 1000);
  }
  return shape;
}

// The frame's extent in longitude (relative to `lon0`) and latitude.
struct GeoBox {
  double lon_min = 1e9, lon_max = -1e9, lat_min = 1e9, lat_max = -1e9;
};

GeoBox FrameBox(const Frame& frame) {
  GeoBox box;
  const double lon0 = frame.georef.GetProjection() == terravue::Projection::kPlateCarree
                          ? 0
                          : frame.georef.Centre().lon;
  auto add = [&](double x, double y) {
    const auto p = frame.georef.PixelToLonLat({x, y});
    if (!p) return;
    const double rel = std::remainder(p->lon - lon0, 360.0);
    box.lon_min = std::min(box.lon_min, rel);
    box.lon_max = std::max(box.lon_max, rel);
    box.lat_min = std::min(box.lat_min, p->lat);
    box.lat_max = std::max(box.lat_max, p->lat);
  };
  const double w = frame.width - 0.5;
  const double h = frame.height - 0.5;
  for (double x = -0.5; x <= w; x += 0.5) {
    add(x, -0.5);
    add(x, h);
  }
  for (double y = -0.5; y <= h; y += 0.5) {
    add(-0.5, y);
    add(w, y);
  }
  // A pole inside the frame takes every longitude and the pole's latitude.
  for (double pole : {90.0, -90.0}) {
    const auto p = frame.georef.LonLatToPixel({0, pole});
    if (p && p->x >= -0.5 && p->x <= w && p->y >= -0.5 && p->y <= h) {
      box.lon_min = -180;
      box.lon_max = 180;
      box.lat_min = std::min(box.lat_min, pole);
      box.lat_max = std::max(box.lat_max, pole);
    }
  }
  box.lon_min += lon0;
  box.lon_max += lon0;
  return box;
}

tv::gfx::Point Rounded(PixelPos p) {
  return {static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
}

}  // namespace

std::optional<LonLat> ParseFactbookCoordinates(std::string_view text) {
  static const std::regex pattern(R"((\d{1,2}) (\d{1,2}) ([NS]), (\d{1,3}) (\d{1,2}) ([EW]))");
  std::match_results<std::string_view::const_iterator> m;
  if (!std::regex_search(text.begin(), text.end(), m, pattern)) return std::nullopt;
  const double lat = std::stoi(m[1].str()) + std::stoi(m[2].str()) / 60.0;
  const double lon = std::stoi(m[4].str()) + std::stoi(m[5].str()) / 60.0;
  if (lat > 90 || lon > 180) return std::nullopt;
  return LonLat{m[6].str() == "W" ? -lon : lon, m[3].str() == "S" ? -lat : lat};
}

std::string MapStem(std::string_view place) {
  std::string stem;
  bool gap = false;
  for (char ch : place) {
    if (std::isalnum(static_cast<unsigned char>(ch)) && static_cast<unsigned char>(ch) < 0x80) {
      if (gap && !stem.empty()) stem += '_';
      stem += ch;
      gap = false;
    } else {
      gap = true;
    }
  }
  return stem;
}

std::vector<tv::gfx::Color> MapPalette() {
  std::vector<tv::gfx::Color> palette(16, tv::gfx::kBlack);
  palette[kSea] = {166, 206, 227};
  palette[kOtherLand] = {234, 228, 212};
  palette[kPlaceLand] = {250, 196, 108};
  palette[kCoast] = {70, 110, 150};
  palette[kBorder] = {140, 120, 110};
  palette[kCapital] = {210, 20, 20};
  palette[kInk] = {0, 0, 0};
  palette[kHalo] = {255, 255, 255};
  palette[kSmallPlaceRing] = {200, 60, 160};
  return palette;
}

Atlas BuildAtlas(const std::vector<artbuilder::Feature>& countries, const std::vector<artbuilder::Feature>& land,
                 std::vector<std::string> places) {
  Atlas atlas;
  atlas.places = std::move(places);
  std::map<std::string, int> index;
  for (size_t i = 0; i < atlas.places.size(); ++i) index[atlas.places[i]] = static_cast<int>(i);
  auto owner_of = [&](const std::optional<std::u16string>& place) {
    if (!place) return -1;
    const auto it = index.find(tv::Utf16ToUtf8(*place));
    return it == index.end() ? -1 : it->second;
  };
  for (size_t f = 0; f < countries.size(); ++f) {
    const artbuilder::Feature& feature = countries[f];
    const int owner = owner_of(artbuilder::PlaceOfAtlasName(feature.name));
    for (const Polygon& polygon : feature.polygons) {
      const auto part = artbuilder::PlaceOfOverseasPart(feature.name, polygon);
      atlas.countries.push_back(
          MakeShape(part ? owner_of(part) : owner, static_cast<int>(f), polygon));
    }
  }
  for (size_t f = 0; f < land.size(); ++f) {
    for (const Polygon& polygon : land[f].polygons) {
      atlas.land.push_back(MakeShape(-1, static_cast<int>(f), polygon));
    }
  }
  return atlas;
}

Frame WorldFrame() {
  Frame frame;
  frame.width = kLongSide;
  frame.height = kLongSide / 2;
  const double step = 360.0 / frame.width;
  frame.georef = terravue::Georef::PlateCarree({step, 0, 0, -step, -180 + step / 2, 90 - step / 2});
  return frame;
}

Frame AzimuthalFrame(LonLat centre, double half_width, double half_height) {
  const double metres = 2 * std::max(half_width, half_height) / kLongSide;
  Frame frame;
  frame.width = std::clamp(static_cast<int>(std::lround(2 * half_width / metres)), 1, kLongSide);
  frame.height = std::clamp(static_cast<int>(std::lround(2 * half_height / metres)), 1, kLongSide);
  // The projection's centre sits in the middle of the frame.
  frame.georef = terravue::Georef::AzimuthalEquidistant(
      centre, {metres, 0, 0, -metres, -(frame.width - 1) / 2.0 * metres,
               (frame.height - 1) / 2.0 * metres});
  return frame;
}

Frame OpeningFrame(LonLat centre, Extent place, double margin, Extent context,
                   std::optional<LonLat> point) {
  const double full_width = place.half_width * (1 + 2 * margin);
  const double full_height = place.half_height * (1 + 2 * margin);
  const double context_width = std::max(context.half_width, full_width);
  const double context_height = std::max(context.half_height, full_height);
  double metres = 2 * std::max(context_width, context_height) / kLongSide;
  double px = 0, py = 0;  // the point, metres east and north of the centre
  if (point) Forward(centre, *point, px, py);

  Frame frame;
  double left = 0, top = 0;  // metres from the centre to the map's edges
  if (2 * full_width / metres <= kOpeningWidth - 2 * kPointInset &&
      2 * full_height / metres <= kOpeningHeight - 2 * kPointInset) {
    // The place and its margins fit the opening view: the map is the view.
    frame.width = kOpeningWidth;
    frame.height = kOpeningHeight;
    left = -frame.width / 2.0 * metres;
    top = frame.height / 2.0 * metres;
  } else {
    // The farthest the point may lie from the map's left and top edges.
    const double reach_x = kOpeningWidth - 1 - kPointInset - kPlaceEdge;
    const double reach_y = kOpeningHeight - 1 - kPointInset - kPlaceEdge;
    metres = std::max({metres, (px + place.half_width) / reach_x, (place.half_height - py) / reach_y});
    const double right = context_width;
    const double bottom = -context_height;
    // West of the place: the point in the middle of the view where the
    // place leaves room, else the place's western edge and kPlaceEdge
    // pixels, never more than kLongSide pixels in all.
    left = std::min(-place.half_width - kPlaceEdge * metres,
                    std::max(px - (kOpeningWidth - 1) / 2.0 * metres, right - kLongSide * metres));
    top = std::max(place.half_height + kPlaceEdge * metres,
                   std::min(py + (kOpeningHeight - 1) / 2.0 * metres, bottom + kLongSide * metres));
    frame.width = std::clamp(static_cast<int>(std::lround((right - left) / metres)), 1, kLongSide);
    frame.height = std::clamp(static_cast<int>(std::lround((top - bottom) / metres)), 1, kLongSide);
  }
  frame.georef = terravue::Georef::AzimuthalEquidistant(
      centre, {metres, 0, 0, -metres, left + metres / 2, top - metres / 2});
  return frame;
}

Frame PlaceFrame(const Atlas& atlas, int place, std::optional<LonLat> factbook) {
  std::vector<const Shape*> own;
  double total = 0;
  for (const Shape& shape : atlas.countries) {
    if (shape.owner == place) {
      own.push_back(&shape);
      total += shape.area_km2;
    }
  }
  std::vector<const Shape*> main;
  for (const Shape* shape : own) {
    if (shape->area_km2 >= kMainShare * total) main.push_back(shape);
  }
  LonLat centre = factbook.value_or(LonLat{});
  if (!factbook && !main.empty()) {
    const artbuilder::GeoPoint& p = main.front()->polygon.front().front();
    centre = {p.lon, p.lat};
  }
  if (main.empty()) {
    return OpeningFrame(centre, {}, kMargin, {kMinHalfExtentMetres, kMinHalfExtentMetres}, factbook);
  }
  // Extent of the main polygons and the Factbook point, projected about a
  // centre that moves to the middle of that extent.
  double half_width = 0;
  double half_height = 0;
  for (int round = 0; round < 4; ++round) {
    double x_min = 1e18, x_max = -1e18, y_min = 1e18, y_max = -1e18;
    auto add = [&](LonLat p) {
      double x = 0, y = 0;
      Forward(centre, p, x, y);
      x_min = std::min(x_min, x);
      x_max = std::max(x_max, x);
      y_min = std::min(y_min, y);
      y_max = std::max(y_max, y);
    };
    for (const Shape* shape : main) {
      for (const artbuilder::GeoPoint& p : shape->polygon.front()) add({p.lon, p.lat});
    }
    if (factbook) add(*factbook);
    half_width = (x_max - x_min) / 2;
    half_height = (y_max - y_min) / 2;
    centre = Reverse(centre, (x_min + x_max) / 2, (y_min + y_max) / 2);
  }
  Extent context{std::max(half_width * (1 + 2 * kMargin), kMinHalfExtentMetres),
                 std::max(half_height * (1 + 2 * kMargin), kMinHalfExtentMetres)};
  // Never narrower than half the length: a long thin place keeps room for
  // its neighbours on both sides.
  context.half_width = std::max(context.half_width, context.half_height / 2);
  context.half_height = std::max(context.half_height, context.half_width / 2);
  return OpeningFrame(centre, {half_width, half_height}, kMargin, context, factbook);
}

std::string CheckOpeningView(const terravue::Georef& georef, LonLat point, bool ringed) {
  const auto pixel = georef.LonLatToPixel(point);
  if (!pixel) return "its point has no place on the map";
  const tv::gfx::Point c = Rounded(*pixel);
  // The ring reaches kRingRadius pixels from the point.
  const int reach = ringed ? kRingRadius : 0;
  if (c.x - reach >= 0 && c.y - reach >= 0 && c.x + reach < kOpeningWidth &&
      c.y + reach < kOpeningHeight) {
    return "";
  }
  return std::string(ringed ? "the ring about its point" : "its point") + " at (" +
         std::to_string(c.x) + ", " + std::to_string(c.y) + ") is not within the first " +
         std::to_string(kOpeningWidth) + "x" + std::to_string(kOpeningHeight) +
         " pixels that open";
}

Classes Classify(const Atlas& atlas, const Frame& frame) {
  const GeoBox box = FrameBox(frame);
  double pixel_degrees = 0;
  if (frame.georef.GetProjection() == terravue::Projection::kPlateCarree) {
    pixel_degrees = std::abs(frame.georef.World().a);
  } else {
    pixel_degrees = std::abs(frame.georef.World().a) / kMetresPerDegree;
  }
  const double margin = 2 * pixel_degrees;
  artbuilder::SampleGrid grid;
  grid.step = pixel_degrees / kCellsPerPixel;
  const double lon_span = box.lon_max - box.lon_min + 2 * margin;
  const double lat_span = std::min(box.lat_max + margin, 90.0) - std::max(box.lat_min - margin, -90.0);
  const double cells = (lon_span / grid.step) * (lat_span / grid.step);
  if (cells > kMaxCells) grid.step *= std::sqrt(cells / kMaxCells);
  grid.lon_left = box.lon_min - margin;
  grid.lat_top = std::min(box.lat_max + margin, 90.0);
  grid.width = static_cast<int>(std::ceil(lon_span / grid.step));
  grid.height = static_cast<int>(std::ceil(lat_span / grid.step));
  const double grid_right = grid.lon_left + grid.width * grid.step;
  const double grid_bottom = grid.lat_top - grid.height * grid.step;

  std::vector<int> cell(static_cast<size_t>(grid.width) * grid.height, kSeaCode);
  auto overlaps = [&](const Shape& s) {
    if (s.lat_max < grid_bottom || s.lat_min > grid.lat_top) return false;
    for (double shift : {-360.0, 0.0, 360.0}) {
      if (s.lon_max + shift >= grid.lon_left && s.lon_min + shift <= grid_right) return true;
    }
    return false;
  };
  auto paint = [&](const Shape& s, int code) {
    if (!overlaps(s)) return;
    artbuilder::RasterisePolygon(s.polygon, grid, [&](int i, int j) {
      cell[static_cast<size_t>(j) * grid.width + i] = code;
    });
  };
  for (const Shape& s : atlas.land) paint(s, 2 * kUnownedLandCode);
  for (const Shape& s : atlas.countries) {
    paint(s, s.owner >= 0 ? s.owner : kUnownedLandCode + s.feature);
  }

  Classes classes;
  classes.width = frame.width;
  classes.height = frame.height;
  classes.code.assign(static_cast<size_t>(frame.width) * frame.height, kSeaCode);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const auto p = frame.georef.PixelToLonLat({static_cast<double>(x), static_cast<double>(y)});
      if (!p) continue;
      const double lon = grid.lon_left + std::fmod(std::fmod(p->lon - grid.lon_left, 360.0) + 360.0, 360.0);
      const int i = static_cast<int>(std::floor((lon - grid.lon_left) / grid.step));
      const int j = static_cast<int>(std::floor((grid.lat_top - p->lat) / grid.step));
      if (i < 0 || j < 0 || i >= grid.width || j >= grid.height) continue;
      classes.code[static_cast<size_t>(y) * frame.width + x] = cell[static_cast<size_t>(j) * grid.width + i];
    }
  }
  return classes;
}

tv::gfx::Bitmap PaintClasses(const Classes& classes, int place) {
  tv::gfx::Bitmap bitmap(classes.width, classes.height, tv::gfx::PixelFormat::kIndexed4);
  const std::vector<tv::gfx::Color> palette = MapPalette();
  bitmap.SetPalette(palette);
  for (int y = 0; y < classes.height; ++y) {
    for (int x = 0; x < classes.width; ++x) {
      const int code = classes.At(x, y);
      uint8_t colour = code == kSeaCode ? kSea : (place >= 0 && code == place ? kPlaceLand : kOtherLand);
      // A land pixel next to sea is coast; one next to another country's
      // land is border. Looking right and down marks each edge once.
      if (code != kSeaCode) {
        for (auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{-1, 0}, std::pair{0, -1}}) {
          const int nx = x + dx;
          const int ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= classes.width || ny >= classes.height) continue;
          const int other = classes.At(nx, ny);
          if (other == kSeaCode) {
            colour = kCoast;
            break;
          }
          // Land in no country meets the country around it without a line.
          if (other != code && (dx > 0 || dy > 0) && other != 2 * kUnownedLandCode &&
              code != 2 * kUnownedLandCode) {
            colour = kBorder;
          }
        }
      }
      bitmap.SetIndex(x, y, colour);
    }
  }
  return bitmap;
}

std::optional<int> DistanceToClass(const Classes& classes, const terravue::Georef& georef, LonLat point,
                                   int code, int radius) {
  const auto pixel = georef.LonLatToPixel(point);
  if (!pixel) return std::nullopt;
  const tv::gfx::Point c = Rounded(*pixel);
  if (c.x < 0 || c.y < 0 || c.x >= classes.width || c.y >= classes.height) return std::nullopt;
  for (int r = 0; r <= radius; ++r) {
    for (int y = c.y - r; y <= c.y + r; ++y) {
      for (int x = c.x - r; x <= c.x + r; ++x) {
        if (std::max(std::abs(x - c.x), std::abs(y - c.y)) != r) continue;
        if (x < 0 || y < 0 || x >= classes.width || y >= classes.height) continue;
        if (classes.At(x, y) == code) return r;
      }
    }
  }
  return std::nullopt;
}

namespace {

bool Overlaps(const tv::gfx::Rect& a, const tv::gfx::Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void DrawHaloText(tv::gfx::Canvas& canvas, tv::gfx::Point p, const std::u16string& text, tv::gfx::Color ink,
                  tv::gfx::Color halo) {
  canvas.SetTextColor(halo);
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (dx != 0 || dy != 0) canvas.DrawText({p.x + dx, p.y + dy}, text);
    }
  }
  canvas.SetTextColor(ink);
  canvas.DrawText(p, text);
}

}  // namespace

std::vector<std::string> DrawMarkers(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef,
                                     const std::vector<Marker>& markers, std::vector<tv::gfx::Rect> taken) {
  std::vector<std::string> drawn;
  const std::vector<tv::gfx::Color> palette = MapPalette();
  const auto font = tv::gfx::Font::Get({"Arial", 12, tv::gfx::kWeightNormal, false});
  const auto bold = tv::gfx::Font::Get({"Arial", 12, tv::gfx::kWeightBold, false});
  tv::gfx::Canvas canvas(bitmap);
  canvas.SetBackgroundMode(tv::gfx::BackgroundMode::kTransparent);
  for (const Marker& marker : markers) {
    const auto pixel = georef.LonLatToPixel(marker.where);
    if (!pixel) continue;
    const tv::gfx::Point p = Rounded(*pixel);
    if (p.x < 2 || p.y < 2 || p.x >= bitmap.Width() - 2 || p.y >= bitmap.Height() - 2) continue;
    const int half = marker.capital ? 3 : 2;
    const tv::gfx::Rect box{p.x - half, p.y - half, p.x + half + 1, p.y + half + 1};
    if (!marker.capital && std::any_of(taken.begin(), taken.end(),
                                       [&](const tv::gfx::Rect& r) { return Overlaps(r, box); })) {
      continue;
    }
    canvas.FillRect(box, palette[kHalo]);
    canvas.FillRect({box.left + 1, box.top + 1, box.right - 1, box.bottom - 1},
                    palette[marker.capital ? kCapital : kInk]);
    taken.push_back(box);
    const auto& use = marker.capital ? bold : font;
    if (marker.label.empty() || !use) continue;
    const std::u16string text = tv::Utf8ToUtf16(marker.label);
    canvas.SetFont(use);
    const tv::gfx::Size size = canvas.MeasureText(text);
    const tv::gfx::Point candidates[] = {
        {box.right + 2, p.y - size.height / 2},
        {box.left - 2 - size.width, p.y - size.height / 2},
        {p.x - size.width / 2, box.top - 1 - size.height},
        {p.x - size.width / 2, box.bottom + 1},
    };
    for (const tv::gfx::Point& at : candidates) {
      const tv::gfx::Rect rect{at.x - 1, at.y - 1, at.x + size.width + 1, at.y + size.height + 1};
      if (rect.left < 0 || rect.top < 0 || rect.right > bitmap.Width() || rect.bottom > bitmap.Height()) {
        continue;
      }
      if (std::any_of(taken.begin(), taken.end(), [&](const tv::gfx::Rect& r) { return Overlaps(r, rect); })) {
        continue;
      }
      DrawHaloText(canvas, at, text, palette[kInk], palette[kHalo]);
      taken.push_back(rect);
      drawn.push_back(marker.label);
      break;
    }
  }
  return drawn;
}

std::vector<tv::gfx::Rect> DrawIslandGroups(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef,
                                        const Atlas& atlas, int place,
                                        const std::vector<IslandGroup>& groups) {
  std::vector<tv::gfx::Rect> names;
  const auto font = tv::gfx::Font::Get({"Arial", 12, tv::gfx::kWeightBold, false});
  if (!font || place < 0) return names;
  const std::vector<tv::gfx::Color> palette = MapPalette();
  tv::gfx::Canvas canvas(bitmap);
  canvas.SetBackgroundMode(tv::gfx::BackgroundMode::kTransparent);
  canvas.SetFont(font);
  const tv::gfx::Rect map{0, 0, bitmap.Width(), bitmap.Height()};
  std::vector<tv::gfx::Rect> frames;
  for (const IslandGroup& group : groups) {
    if (atlas.places[place] != group.place) continue;
    // The pixels the group's islands reach, clipped to the map.
    tv::gfx::Rect islands{bitmap.Width(), bitmap.Height(), -1, -1};
    for (const Shape& shape : atlas.countries) {
      if (shape.owner != place) continue;
      const double lon = std::remainder((shape.lon_min + shape.lon_max) / 2, 360.0);
      const double lat = (shape.lat_min + shape.lat_max) / 2;
      if (lon < group.lon_min || lon > group.lon_max || lat < group.lat_min || lat > group.lat_max) {
        continue;
      }
      for (const artbuilder::GeoPoint& g : shape.polygon.front()) {
        const auto pixel = georef.LonLatToPixel({g.lon, g.lat});
        if (!pixel) continue;
        const tv::gfx::Point p = Rounded(*pixel);
        if (p.x < 0 || p.y < 0 || p.x >= bitmap.Width() || p.y >= bitmap.Height()) continue;
        islands = {std::min(islands.left, p.x), std::min(islands.top, p.y),
                   std::max(islands.right, p.x + 1), std::max(islands.bottom, p.y + 1)};
      }
    }
    if (islands.right < 0) continue;
    // A frame four pixels clear of the islands, inside the map.
    const tv::gfx::Rect frame{std::max(islands.left - 5, 0), std::max(islands.top - 5, 0),
                          std::min(islands.right + 5, bitmap.Width()),
                          std::min(islands.bottom + 5, bitmap.Height())};
    for (int x = frame.left; x < frame.right; ++x) {
      bitmap.SetIndex(x, frame.top, kSmallPlaceRing);
      bitmap.SetIndex(x, frame.bottom - 1, kSmallPlaceRing);
    }
    for (int y = frame.top; y < frame.bottom; ++y) {
      bitmap.SetIndex(frame.left, y, kSmallPlaceRing);
      bitmap.SetIndex(frame.right - 1, y, kSmallPlaceRing);
    }
    frames.push_back(frame);
    // The name above the frame, else below it, else beside it; centred on
    // the frame and kept on the map.
    const std::u16string text = tv::Utf8ToUtf16(group.name);
    const tv::gfx::Size size = canvas.MeasureText(text);
    const int centre_x = std::clamp((frame.left + frame.right - size.width) / 2, 1,
                                    std::max(1, bitmap.Width() - size.width - 1));
    const int centre_y = (frame.top + frame.bottom - size.height) / 2;
    const tv::gfx::Point candidates[] = {
        {centre_x, frame.top - 2 - size.height},
        {centre_x, frame.bottom + 2},
        {frame.right + 3, centre_y},
        {frame.left - 3 - size.width, centre_y},
    };
    for (const tv::gfx::Point& at : candidates) {
      const tv::gfx::Rect rect{at.x - 1, at.y - 1, at.x + size.width + 1, at.y + size.height + 1};
      if (rect.left < map.left || rect.top < map.top || rect.right > map.right || rect.bottom > map.bottom) {
        continue;
      }
      const auto clash = [&](const tv::gfx::Rect& r) { return Overlaps(r, rect); };
      if (std::any_of(names.begin(), names.end(), clash) ||
          std::any_of(frames.begin(), frames.end(), clash)) {
        continue;
      }
      DrawHaloText(canvas, at, text, palette[kInk], palette[kHalo]);
      names.push_back(rect);
      break;
    }
  }
  return names;
}

void DrawCentredName(tv::gfx::Bitmap& bitmap, const std::string& name) {
  const auto font = tv::gfx::Font::Get({"Arial", 14, tv::gfx::kWeightBold, false});
  if (!font) return;
  const std::vector<tv::gfx::Color> palette = MapPalette();
  const std::u16string text = tv::Utf8ToUtf16(name);
  tv::gfx::Canvas canvas(bitmap);
  canvas.SetBackgroundMode(tv::gfx::BackgroundMode::kTransparent);
  canvas.SetFont(font);
  const tv::gfx::Size size = canvas.MeasureText(text);
  DrawHaloText(canvas, {(bitmap.Width() - size.width) / 2, (bitmap.Height() - size.height) / 2}, text,
               palette[kCoast], palette[kHalo]);
}

void DrawRing(tv::gfx::Bitmap& bitmap, const terravue::Georef& georef, LonLat point) {
  const auto pixel = georef.LonLatToPixel(point);
  if (!pixel) return;
  const tv::gfx::Point c = Rounded(*pixel);
  for (int y = c.y - kRingRadius; y <= c.y + kRingRadius; ++y) {
    for (int x = c.x - kRingRadius; x <= c.x + kRingRadius; ++x) {
      if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) continue;
      const double r = std::hypot(x - c.x, y - c.y);
      if (r >= 6.5 && r <= 8.5) bitmap.SetIndex(x, y, kSmallPlaceRing);
    }
  }
}

namespace {

// giflib's text for an error code, which it leaves null for codes it does
// not know (0 among them).
std::string GifError(int code) {
  const char* text = GifErrorString(code);
  return text != nullptr ? text : "giflib error " + std::to_string(code);
}

}  // namespace

bool WriteGif(const tv::gfx::Bitmap& bitmap, const std::string& path, std::string& error) {
  if (!bitmap.IsIndexed() || bitmap.IsEmpty()) {
    error = "not a palette bitmap";
    return false;
  }
  int code = 0;
  // Opened here rather than by giflib, which would make the file private.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  GifFileType* gif = fd < 0 ? nullptr : EGifOpenFileHandle(fd, &code);
  if (gif == nullptr) {
    error = "cannot create " + path + ": " + (fd < 0 ? std::strerror(errno) : GifError(code));
    if (fd >= 0) ::close(fd);
    return false;
  }
  const auto palette = bitmap.Palette();
  const int colours = palette.size() <= 16 ? 16 : 256;
  std::vector<GifColorType> entries(colours);
  for (size_t i = 0; i < palette.size() && i < entries.size(); ++i) {
    entries[i] = {palette[i].r, palette[i].g, palette[i].b};
  }
  ColorMapObject* map = GifMakeMapObject(colours, entries.data());
  bool ok = map != nullptr &&
            EGifPutScreenDesc(gif, bitmap.Width(), bitmap.Height(), colours == 16 ? 4 : 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, bitmap.Width(), bitmap.Height(), false, nullptr) == GIF_OK;
  std::vector<GifPixelType> row(bitmap.Width());
  for (int y = 0; ok && y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) row[x] = bitmap.Index(x, y);
    ok = EGifPutLine(gif, row.data(), bitmap.Width()) == GIF_OK;
  }
  if (!ok) error = std::string("cannot write ") + path + ": " + GifError(gif->Error);
  if (EGifCloseFile(gif, &code) != GIF_OK && ok) {
    error = std::string("cannot finish ") + path + ": " + GifError(code);
    ok = false;
  }
  GifFreeMapObject(map);
  if (!ok) return false;
  const auto back = ReadGif(path);
  bool same = back && back->width == bitmap.Width() && back->height == bitmap.Height();
  for (int y = 0; same && y < bitmap.Height(); ++y) {
    for (int x = 0; same && x < bitmap.Width(); ++x) {
      same = back->indices[static_cast<size_t>(y) * back->width + x] == bitmap.Index(x, y);
    }
  }
  if (!same) error = path + " does not read back as written";
  return same;
}

std::optional<GifImage> ReadGif(const std::string& path) {
  int code = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
  if (gif == nullptr) return std::nullopt;
  std::optional<GifImage> result;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (map != nullptr && image.ImageDesc.Left == 0 && image.ImageDesc.Top == 0 &&
        image.ImageDesc.Width == gif->SWidth && image.ImageDesc.Height == gif->SHeight) {
      GifImage out;
      out.width = gif->SWidth;
      out.height = gif->SHeight;
      out.colours = map->ColorCount;
      out.indices.assign(image.RasterBits,
                         image.RasterBits + static_cast<size_t>(out.width) * out.height);
      result = std::move(out);
    }
  }
  DGifCloseFile(gif, &code);
  return result;
}

}  // namespace terravue::mapbuilder
