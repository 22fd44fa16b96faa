#include "tools/artbuilder/regionmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>

#include "places/places.h"
#include "platform/base/utf.h"
#include "tools/artbuilder/raster.h"
#include "tools/artbuilder/worldmap.h"

namespace terravue::artbuilder {
namespace {

using tv::gfx::Color;
using tv::gfx::Point;

constexpr RegionMapSheet kSheets[] = {
    {0, 384, "africa.bmp", 240, 240, -18.5, 52.5, 38.0, -35.5},
    {1, 385, "asia.bmp", 240, 240, 56.0, 148.0, 78.0, 3.0},
    {2, 386, "australia.bmp", 240, 184, 110.0, 180.0, 1.0, -48.5},
    {3, 387, "europe.bmp", 240, 222, -11.5, 45.0, 71.5, 34.5},
    {4, 390, "middleeast.bmp", 240, 173, 25.0, 81.0, 44.0, 11.5},
    {5, 388, "northamerica.bmp", 240, 212, -170.0, -10.0, 84.0, 3.5},
    {6, 389, "southamerica.bmp", 154, 240, -82.0, -34.0, 13.0, -56.0},
};

// Atlas features that the world map folds into another place but that the
// region maps show as land of their own: the Factbook data the program shows
// for Sudan is that of Sudan without South Sudan.
constexpr std::string_view kSeparateOnRegionMaps[] = {"S. Sudan"};

// The atlas gives Morocco the part of Western Sahara west of the berm; the
// Factbook's Western Sahara is the whole territory, which Morocco meets
// along the parallel of 27 degrees 40 minutes north.
constexpr std::string_view kMoroccoAtlasName = "Morocco";
constexpr std::u16string_view kWesternSahara = u"Western Sahara";
constexpr double kWesternSaharaNorth = 27.0 + 40.0 / 60.0;

// Base raster: the owner of every sample point of the base plane, at kFine
// samples per base pixel, over the window and a margin around it that the
// warps may pull into view.
constexpr int kFine = 4;
constexpr int kMargin = 60;

// Limits of the fit: how far the warp may stretch or squeeze an axis, how
// far and how steeply the columns may be offset, and the largest enlargement.
constexpr double kMinSlope = 0.45;
constexpr double kMaxSlope = 2.2;
constexpr double kMaxEndMove = 45;
constexpr double kMaxShift = 14;
constexpr double kMaxShiftSlope = 0.3;
constexpr double kMaxZoom = 3.5;
// Places with fewer land pixels than this may be enlarged.
constexpr int kSmallPlace = 150;
// A place needs this many hit pixels, and a 5x5 block of them, to be tapped.
constexpr int kMinHitPixels = 30;
constexpr int kBlock = 5;
constexpr double kOrderDegrees = 8;

struct LandClass {
  std::string atlas;
  std::u16string place;
  int row = -1;  // mapped row of this map's table, or -1
};

struct Context {
  RegionMapSheet sheet;
  const terravue::RegionCountryTable* table = nullptr;
  double su = 1, sv = 1;  // base pixels per degree of longitude and latitude
  int raster_w = 0, raster_h = 0;
  std::vector<uint16_t> raster;
  std::vector<LandClass> classes;  // 0 is the sea
  // hits[row][y * width + x]: a pixel of the row's key colour at (x, y) hits
  // the row through the program's own hit test.
  std::vector<std::vector<uint8_t>> hits;
  std::vector<std::optional<GeoPosition>> positions;  // per mapped row

  int Rows() const { return table->mapped_rows; }
  int ClassAt(Vec2 p) const {
    const double fi = (p.x + kMargin) * kFine;
    const double fj = (p.y + kMargin) * kFine;
    if (fi < 0 || fj < 0) return 0;
    const int i = static_cast<int>(fi);
    const int j = static_cast<int>(fj);
    if (i >= raster_w || j >= raster_h) return 0;
    return raster[static_cast<size_t>(j) * raster_w + i];
  }
  Vec2 BaseOf(double lon, double lat) const {
    return {(lon - sheet.lon_left) * su, (sheet.lat_top - lat) * sv};
  }
};

int FindClass(std::vector<LandClass>& classes, const std::string& atlas,
              const std::u16string& place, int row) {
  for (size_t k = 1; k < classes.size(); ++k) {
    if (classes[k].atlas == atlas && classes[k].place == place) return static_cast<int>(k);
  }
  classes.push_back({atlas, place, row});
  return static_cast<int>(classes.size() - 1);
}

void RasteriseAtlas(Context& ctx, const std::vector<Feature>& countries) {
  const RegionMapSheet& sheet = ctx.sheet;
  ctx.su = sheet.width / (sheet.lon_right - sheet.lon_left);
  ctx.sv = sheet.height / (sheet.lat_top - sheet.lat_bottom);
  ctx.raster_w = (sheet.width + 2 * kMargin) * kFine;
  ctx.raster_h = (sheet.height + 2 * kMargin) * kFine;
  ctx.raster.assign(static_cast<size_t>(ctx.raster_w) * ctx.raster_h, 0);
  ctx.classes.assign(1, {});
  // The sample grid runs in degrees of longitude; latitudes are scaled so
  // that one step is one sample along both axes.
  const double k = ctx.sv / ctx.su;
  const double step = 1.0 / (ctx.su * kFine);
  const SampleGrid grid{ctx.raster_w, ctx.raster_h, sheet.lon_left - kMargin / ctx.su,
                        (sheet.lat_top + kMargin / ctx.sv) * k, step};
  const double lat_min = sheet.lat_bottom - kMargin / ctx.sv;
  const double lat_max = sheet.lat_top + kMargin / ctx.sv;

  for (const Feature& feature : countries) {
    std::optional<std::u16string> place;
    if (std::find(std::begin(kSeparateOnRegionMaps), std::end(kSeparateOnRegionMaps),
                  feature.name) == std::end(kSeparateOnRegionMaps)) {
      place = PlaceOfAtlasName(feature.name);
    }
    for (const Polygon& polygon : feature.polygons) {
      std::optional<std::u16string> part = PlaceOfOverseasPart(feature.name, polygon);
      if (!part) part = place;
      Polygon scaled = UnwrapPolygon(polygon);
      bool near = false;
      bool polar = false;
      for (Ring& ring : scaled) {
        for (GeoPoint& p : ring) {
          if (std::abs(p.lat) >= 90) polar = true;
          if (p.lat >= lat_min && p.lat <= lat_max) near = true;
          p.lat *= k;
        }
      }
      // Rings closed along a pole (Antarctica) lie far outside every map.
      if (!near || polar) continue;
      int row = -1;
      if (part) {
        for (int r = 0; r < ctx.Rows(); ++r) {
          if (ctx.table->rows[r].name == *part) row = r;
        }
      }
      const int cls = FindClass(ctx.classes, feature.name, part ? *part : tv::Utf8ToUtf16(feature.name), row);
      int south_cls = cls;
      if (feature.name == kMoroccoAtlasName) {
        int sahara_row = -1;
        for (int r = 0; r < ctx.Rows(); ++r) {
          if (ctx.table->rows[r].name == kWesternSahara) sahara_row = r;
        }
        south_cls = FindClass(ctx.classes, feature.name, std::u16string(kWesternSahara), sahara_row);
      }
      RasterisePolygon(scaled, grid, [&](int i, int j) {
        const bool south = grid.SampleLat(j) / k < kWesternSaharaNorth;
        ctx.raster[static_cast<size_t>(j) * ctx.raster_w + i] =
            static_cast<uint16_t>(south ? south_cls : cls);
      });
    }
  }
}

void PrepareHits(Context& ctx) {
  const int w = ctx.sheet.width;
  const int h = ctx.sheet.height;
  ctx.hits.assign(ctx.Rows(), std::vector<uint8_t>(static_cast<size_t>(w) * h, 0));
  for (int r = 0; r < ctx.Rows(); ++r) {
    const Color key = ctx.table->rows[r].key_colour;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ctx.hits[r][static_cast<size_t>(y) * w + x] =
            terravue::HitTestRegionMap(ctx.sheet.region, key, {x, y}) == r;
      }
    }
  }
}

// Map pixel -> base point.
Vec2 InverseMap(const RegionMapLayout& layout, double x, double y, double base_x) {
  Vec2 p{base_x, layout.warp_y.Map(y - layout.shift.Map(x))};
  for (auto it = layout.lenses.rbegin(); it != layout.lenses.rend(); ++it) p = it->Inverse(p);
  return p;
}

// Base point -> map position.
Vec2 ForwardMap(const RegionMapLayout& layout, Vec2 p) {
  for (const Lens& lens : layout.lenses) p = lens.Forward(p);
  const double x = layout.warp_x.Unmap(p.x);
  return {x, layout.warp_y.Unmap(p.y) + layout.shift.Map(x)};
}

struct Tally {
  std::vector<int> owned, hit;
  std::vector<double> sum_x, sum_y;
  std::vector<uint16_t> pixel_class;  // majority class of every pixel
  std::vector<int> pixel_row;         // its mapped row or -1
  std::vector<uint8_t> pixel_hit;     // drawn in its key colour
  std::vector<uint8_t> pixel_border;  // drawn black between two places
};

bool Interior(const RegionMapSheet& sheet, int x, int y) {
  return x >= 1 && y >= 1 && x <= sheet.width - 2 && y <= sheet.height - 2;
}

// Samples every pixel `n` x `n` times; a pixel is land when at least half of
// its samples are, and takes the class with most samples.
Tally Measure(const Context& ctx, const RegionMapLayout& layout, int n) {
  const int w = ctx.sheet.width;
  const int h = ctx.sheet.height;
  Tally t;
  const int rows = ctx.Rows();
  t.owned.assign(rows, 0);
  t.hit.assign(rows, 0);
  t.sum_x.assign(rows, 0);
  t.sum_y.assign(rows, 0);
  t.pixel_class.assign(static_cast<size_t>(w) * h, 0);
  t.pixel_row.assign(static_cast<size_t>(w) * h, -1);
  t.pixel_hit.assign(static_cast<size_t>(w) * h, 0);
  t.pixel_border.assign(static_cast<size_t>(w) * h, 0);
  std::vector<double> base_x(static_cast<size_t>(w) * n);
  std::vector<double> shift(static_cast<size_t>(w) * n);
  for (int i = 0; i < w * n; ++i) {
    const double x = (i + 0.5) / n;
    base_x[i] = layout.warp_x.Map(x);
  }
  std::vector<std::pair<uint16_t, int>> counts;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      counts.clear();
      int land = 0;
      for (int sj = 0; sj < n; ++sj) {
        for (int si = 0; si < n; ++si) {
          const int i = x * n + si;
          const Vec2 p = InverseMap(layout, (i + 0.5) / n, y + (sj + 0.5) / n, base_x[i]);
          const int c = ctx.ClassAt(p);
          if (c == 0) continue;
          ++land;
          auto it = std::find_if(counts.begin(), counts.end(),
                                 [c](const auto& e) { return e.first == c; });
          if (it == counts.end()) {
            counts.push_back({static_cast<uint16_t>(c), 1});
          } else {
            ++it->second;
          }
        }
      }
      if (land * 2 < n * n) continue;
      auto best = counts.begin();
      for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it->second > best->second || (it->second == best->second && it->first < best->first)) {
          best = it;
        }
      }
      const size_t k = static_cast<size_t>(y) * w + x;
      t.pixel_class[k] = best->first;
      const int row = ctx.classes[best->first].row;
      t.pixel_row[k] = row;
      if (row < 0 || !Interior(ctx.sheet, x, y)) continue;
      ++t.owned[row];
      if (ctx.hits[row][k]) {
        t.pixel_hit[k] = 1;
        ++t.hit[row];
        t.sum_x[row] += x + 0.5;
        t.sum_y[row] += y + 0.5;
      }
    }
  }
  return t;
}

Point PositionPixel(const Context& ctx, const RegionMapLayout& layout, const GeoPosition& g) {
  const Vec2 q = ForwardMap(layout, ctx.BaseOf(g.lon, g.lat));
  return {static_cast<int>(std::floor(q.x)), static_cast<int>(std::floor(q.y))};
}

// Positions of mapped places that fall on their own land but do not hit.
int PositionFaults(const Context& ctx, const RegionMapLayout& layout, const Tally& t) {
  int faults = 0;
  for (int r = 0; r < ctx.Rows(); ++r) {
    if (!ctx.positions[r]) continue;
    const Point p = PositionPixel(ctx, layout, *ctx.positions[r]);
    if (!Interior(ctx.sheet, p.x, p.y)) continue;
    const size_t k = static_cast<size_t>(p.y) * ctx.sheet.width + p.x;
    if (t.pixel_row[k] == r && !t.pixel_hit[k]) ++faults;
  }
  return faults;
}

std::vector<std::string> OrderFaults(const Context& ctx, const Tally& t) {
  std::vector<std::string> faults;
  const int rows = ctx.Rows();
  for (int a = 0; a < rows; ++a) {
    for (int b = a + 1; b < rows; ++b) {
      if (!ctx.positions[a] || !ctx.positions[b] || t.hit[a] == 0 || t.hit[b] == 0) continue;
      const GeoPosition& pa = *ctx.positions[a];
      const GeoPosition& pb = *ctx.positions[b];
      const double ax = t.sum_x[a] / t.hit[a], bx = t.sum_x[b] / t.hit[b];
      const double ay = t.sum_y[a] / t.hit[a], by = t.sum_y[b] / t.hit[b];
      const std::string names =
          tv::Utf16ToUtf8(ctx.table->rows[a].name) + " / " + tv::Utf16ToUtf8(ctx.table->rows[b].name);
      if (std::abs(pa.lon - pb.lon) > kOrderDegrees && (ax - bx) * (pa.lon - pb.lon) <= 0) {
        faults.push_back(names + ": west-east order");
      }
      // North is up: the northern place has the smaller y.
      if (std::abs(pa.lat - pb.lat) > kOrderDegrees && (ay - by) * (pa.lat - pb.lat) >= 0) {
        faults.push_back(names + ": north-south order");
      }
    }
  }
  return faults;
}

double Roughness(const PiecewiseLinear& warp, double length) {
  double sum = 0;
  for (size_t k = 1; k < warp.at.size(); ++k) {
    const double span = warp.at[k] - warp.at[k - 1];
    const double slope = (warp.value[k] - warp.value[k - 1]) / span;
    sum += span / length * std::pow(std::log(slope), 2);
  }
  return sum;
}

double Score(const Context& ctx, const RegionMapLayout& layout, const Tally& t) {
  int owned = 0, hit = 0;
  double penalty = 0;
  for (int r = 0; r < ctx.Rows(); ++r) {
    owned += t.owned[r];
    hit += t.hit[r];
    const double share = t.owned[r] > 0 ? static_cast<double>(t.hit[r]) / t.owned[r] : 0;
    penalty += 3 * std::max(0.0, 0.92 - share);
  }
  double shift_rough = 0;
  for (size_t k = 1; k < layout.shift.at.size(); ++k) {
    const double slope = (layout.shift.value[k] - layout.shift.value[k - 1]) /
                         (layout.shift.at[k] - layout.shift.at[k - 1]);
    shift_rough += slope * slope;
  }
  const double total = owned > 0 ? static_cast<double>(hit) / owned : 0;
  return total - penalty - 0.05 * PositionFaults(ctx, layout, t) -
         0.05 * static_cast<double>(OrderFaults(ctx, t).size()) -
         0.03 * (Roughness(layout.warp_x, ctx.sheet.width) + Roughness(layout.warp_y, ctx.sheet.height)) -
         0.02 * shift_rough;
}

bool WarpValid(const PiecewiseLinear& warp, double length) {
  for (size_t k = 1; k < warp.at.size(); ++k) {
    const double slope = (warp.value[k] - warp.value[k - 1]) / (warp.at[k] - warp.at[k - 1]);
    if (slope < kMinSlope || slope > kMaxSlope) return false;
  }
  // The ends may only move outwards: the window was chosen to hold every
  // mapped place, and the warp may show more around it but never crop it.
  return warp.value.front() <= 0 && warp.value.front() >= -kMaxEndMove &&
         warp.value.back() >= length && warp.value.back() <= length + kMaxEndMove;
}

bool LayoutValid(const Context& ctx, const RegionMapLayout& layout) {
  if (!WarpValid(layout.warp_x, ctx.sheet.width) || !WarpValid(layout.warp_y, ctx.sheet.height)) {
    return false;
  }
  for (size_t k = 0; k < layout.shift.at.size(); ++k) {
    if (std::abs(layout.shift.value[k]) > kMaxShift) return false;
    if (k > 0 && std::abs(layout.shift.value[k] - layout.shift.value[k - 1]) >
                     kMaxShiftSlope * (layout.shift.at[k] - layout.shift.at[k - 1])) {
      return false;
    }
  }
  return true;
}

// Knots at the map positions where a band of the table begins, so that the
// fit moves band edges over the land.
PiecewiseLinear AxisWarp(const Context& ctx, char16_t axis, int length) {
  std::set<int> edges;
  for (int r = 0; r < ctx.Rows(); ++r) {
    const terravue::MapHitRow& row = ctx.table->rows[r];
    if (row.axis != axis) continue;
    for (int v : {row.range_low, row.range_high}) {
      if (v > 2 && v < length - 3) edges.insert(v + 1);
    }
  }
  PiecewiseLinear warp;
  warp.at.push_back(0);
  for (int e : edges) {
    if (e - warp.at.back() >= 3) warp.at.push_back(e);
  }
  if (length - warp.at.back() < 3) warp.at.pop_back();
  warp.at.push_back(length);
  warp.value = warp.at;
  return warp;
}

// Coordinate search over every knot, from coarse steps to fine.
void Fit(const Context& ctx, RegionMapLayout& layout) {
  std::vector<double*> params;
  for (double& v : layout.warp_x.value) params.push_back(&v);
  for (double& v : layout.warp_y.value) params.push_back(&v);
  for (double& v : layout.shift.value) params.push_back(&v);
  double best = Score(ctx, layout, Measure(ctx, layout, 1));
  for (double step : {6.0, 3.0, 1.5, 0.75, 0.35}) {
    for (int pass = 0; pass < 8; ++pass) {
      bool improved = false;
      for (double* p : params) {
        for (double dir : {1.0, -1.0}) {
          const double old = *p;
          *p = old + dir * step;
          if (LayoutValid(ctx, layout)) {
            const double score = Score(ctx, layout, Measure(ctx, layout, 1));
            if (score > best + 1e-9) {
              best = score;
              improved = true;
              break;
            }
          }
          *p = old;
        }
      }
      if (!improved) break;
    }
  }
}

bool HasBlock(const Context& ctx, const Tally& t, int row) {
  const int w = ctx.sheet.width;
  const int h = ctx.sheet.height;
  for (int y = 1; y + kBlock <= h - 1; ++y) {
    for (int x = 1; x + kBlock <= w - 1; ++x) {
      bool all = true;
      for (int dy = 0; all && dy < kBlock; ++dy) {
        for (int dx = 0; all && dx < kBlock; ++dx) {
          const size_t k = static_cast<size_t>(y + dy) * w + x + dx;
          all = t.pixel_row[k] == row && t.pixel_hit[k];
        }
      }
      if (all) return true;
    }
  }
  return false;
}

// Centre and radius (holding 85 % of it) of a row's land in the window.
std::optional<std::pair<Vec2, double>> LandDisc(const Context& ctx, int row) {
  std::vector<Vec2> points;
  double sx = 0, sy = 0;
  for (int j = 0; j < ctx.raster_h; ++j) {
    for (int i = 0; i < ctx.raster_w; ++i) {
      const int c = ctx.raster[static_cast<size_t>(j) * ctx.raster_w + i];
      if (c == 0 || ctx.classes[c].row != row) continue;
      const Vec2 p{(i + 0.5) / kFine - kMargin, (j + 0.5) / kFine - kMargin};
      if (p.x < 0 || p.y < 0 || p.x > ctx.sheet.width || p.y > ctx.sheet.height) continue;
      points.push_back(p);
      sx += p.x;
      sy += p.y;
    }
  }
  if (points.empty()) return std::nullopt;
  const Vec2 c{sx / points.size(), sy / points.size()};
  std::vector<double> d;
  d.reserve(points.size());
  for (const Vec2& p : points) d.push_back(std::hypot(p.x - c.x, p.y - c.y));
  std::nth_element(d.begin(), d.begin() + d.size() * 85 / 100, d.end());
  return std::make_pair(c, std::max(1.0, d[d.size() * 85 / 100]));
}

// Each lens sits where the lenses before it have moved its place's centre.
void PlaceLenses(RegionMapLayout& layout) {
  for (size_t k = 0; k < layout.lenses.size(); ++k) {
    Vec2 c = layout.lens_base_centres[k];
    for (size_t j = 0; j < k; ++j) c = layout.lenses[j].Forward(c);
    layout.lenses[k].cx = c.x;
    layout.lenses[k].cy = c.y;
  }
}

// Two mapped places of the same key colour that touch (Eritrea and Djibouti)
// would read as one: a black border goes between them, on the pixels of the
// place with more hit pixels. Those pixels no longer hit and are counted so.
void SeparateSameColourNeighbours(const Context& ctx, Tally& t) {
  const int w = ctx.sheet.width;
  const int h = ctx.sheet.height;
  const std::vector<int> hits_before = t.hit;
  std::vector<size_t> border;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t k = static_cast<size_t>(y) * w + x;
      if (!t.pixel_hit[k]) continue;
      for (const Point n : {Point{x + 1, y}, Point{x, y + 1}}) {
        if (n.x >= w || n.y >= h) continue;
        const size_t m = static_cast<size_t>(n.y) * w + n.x;
        const int a = t.pixel_row[k], b = t.pixel_row[m];
        if (!t.pixel_hit[m] || a == b ||
            ctx.table->rows[a].key_colour != ctx.table->rows[b].key_colour) {
          continue;
        }
        border.push_back(hits_before[a] >= hits_before[b] ? k : m);
      }
    }
  }
  for (size_t k : border) {
    if (!t.pixel_hit[k]) continue;
    const int row = t.pixel_row[k];
    t.pixel_hit[k] = 0;
    t.pixel_border[k] = 1;
    --t.hit[row];
    t.sum_x[row] -= static_cast<double>(k % w) + 0.5;
    t.sum_y[row] -= static_cast<double>(k / w) + 0.5;
  }
}

bool Tappable(const Context& ctx, const Tally& t, int row) {
  return t.hit[row] >= kMinHitPixels + 10 && HasBlock(ctx, t, row);
}

}  // namespace

std::span<const RegionMapSheet> RegionMapSheets() { return kSheets; }

double PiecewiseLinear::Map(double t) const {
  const size_t n = at.size();
  if (n == 1) return value[0] + (t - at[0]);
  size_t k = 1;
  while (k < n - 1 && t > at[k]) ++k;
  return value[k - 1] + (t - at[k - 1]) * (value[k] - value[k - 1]) / (at[k] - at[k - 1]);
}

double PiecewiseLinear::Unmap(double v) const {
  const size_t n = at.size();
  if (n == 1) return at[0] + (v - value[0]);
  size_t k = 1;
  while (k < n - 1 && v > value[k]) ++k;
  return at[k - 1] + (v - value[k - 1]) * (at[k] - at[k - 1]) / (value[k] - value[k - 1]);
}

Vec2 Lens::Forward(Vec2 p) const {
  const double dx = p.x - cx, dy = p.y - cy;
  const double rho = std::hypot(dx, dy);
  const double a = Inner(), b = Outer();
  // Points beyond the ring's outer edge in the input lie beyond it after too.
  if (rho >= b || rho == 0) return p;
  const double out = rho <= radius ? rho * zoom : a + (rho - radius) * (b - a) / (b - radius);
  return {cx + dx * out / rho, cy + dy * out / rho};
}

Vec2 Lens::Inverse(Vec2 q) const {
  const double dx = q.x - cx, dy = q.y - cy;
  const double rho = std::hypot(dx, dy);
  const double a = Inner(), b = Outer();
  if (rho >= b || rho == 0) return q;
  const double in = rho <= a ? rho / zoom : radius + (rho - a) * (b - radius) / (b - a);
  return {cx + dx * in / rho, cy + dy * in / rho};
}

std::optional<GeoPosition> ParseFactbookCoordinates(std::string_view text) {
  static const std::regex kPattern(R"((\d+) (\d+) ([NS]), (\d+) (\d+) ([EW]))");
  std::match_results<std::string_view::const_iterator> m;
  if (!std::regex_search(text.begin(), text.end(), m, kPattern)) return std::nullopt;
  const double lat = std::stoi(m[1].str()) + std::stoi(m[2].str()) / 60.0;
  const double lon = std::stoi(m[4].str()) + std::stoi(m[5].str()) / 60.0;
  if (lat > 90 || lon > 180) return std::nullopt;
  return GeoPosition{m[6].str() == "W" ? -lon : lon, m[3].str() == "S" ? -lat : lat};
}

std::map<std::u16string, GeoPosition> ReadFactbookCoordinates(const std::string& path) {
  std::map<std::u16string, GeoPosition> result;
  std::ifstream file(path);
  std::string line;
  std::u16string name;
  constexpr std::string_view kCountry = "<country>";
  constexpr std::string_view kCoordinates = "<coordinates>";
  while (std::getline(file, line)) {
    if (line.starts_with(kCountry)) {
      name = tv::Utf8ToUtf16(std::string_view(line).substr(kCountry.size()));
    } else if (line.starts_with(kCoordinates) && !name.empty()) {
      const auto g = ParseFactbookCoordinates(std::string_view(line).substr(kCoordinates.size()));
      if (g && !result.contains(name)) result[name] = *g;
    }
  }
  return result;
}

bool BlockHits(const tv::gfx::Bitmap& bitmap, int region, int row, Point centre) {
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const Point p{centre.x + dx, centre.y + dy};
      if (p.x < 0 || p.y < 0 || p.x >= bitmap.Width() || p.y >= bitmap.Height()) return false;
      const Color c = bitmap.Load(p.x, p.y);
      // A 16-bit display keeps 5 bits of red and blue and 6 of green.
      const Color read_back{static_cast<uint8_t>(c.r & 0xF8), static_cast<uint8_t>(c.g & 0xFC),
                            static_cast<uint8_t>(c.b & 0xF8)};
      if (terravue::HitTestRegionMap(region, terravue::NormalizePixelColor(c), p) != row ||
          terravue::HitTestRegionMap(region, terravue::NormalizePixelColor(read_back), p) != row) {
        return false;
      }
    }
  }
  return true;
}

std::optional<Point> FindTapBlock(const tv::gfx::Bitmap& bitmap, int region, int row, Vec2 near) {
  std::optional<Point> best;
  double best_distance = 0;
  for (int y = 2; y < bitmap.Height() - 2; ++y) {
    for (int x = 2; x < bitmap.Width() - 2; ++x) {
      const double d = std::hypot(x + 0.5 - near.x, y + 0.5 - near.y);
      if (best && d >= best_distance) continue;
      if (!BlockHits(bitmap, region, row, {x, y})) continue;
      best = Point{x, y};
      best_distance = d;
    }
  }
  return best;
}

RegionMap BuildRegionMap(const RegionMapSheet& sheet, const std::vector<Feature>& countries,
                         const std::map<std::u16string, GeoPosition>& positions) {
  Context ctx;
  ctx.sheet = sheet;
  ctx.table = &terravue::RegionCountries(sheet.region);
  RasteriseAtlas(ctx, countries);
  PrepareHits(ctx);
  for (int r = 0; r < ctx.Rows(); ++r) {
    const auto it = positions.find(std::u16string(ctx.table->rows[r].name));
    ctx.positions.push_back(it == positions.end() ? std::nullopt
                                                  : std::optional<GeoPosition>(it->second));
  }

  RegionMapLayout layout;
  const bool banded = !ctx.table->colour_only;
  if (banded) {
    layout.warp_x = AxisWarp(ctx, u'x', sheet.width);
    layout.warp_y = AxisWarp(ctx, u'y', sheet.height);
    for (int x = 0; x <= sheet.width; x += sheet.width / 8) layout.shift.at.push_back(x);
  } else {
    layout.warp_x = {{0.0, double(sheet.width)}, {0.0, double(sheet.width)}};
    layout.warp_y = {{0.0, double(sheet.height)}, {0.0, double(sheet.height)}};
    layout.shift.at = {0.0, double(sheet.width)};
  }
  layout.shift.value.assign(layout.shift.at.size(), 0);

  // Fit, then enlarge the places that are still too small to tap and fit
  // again, until every place can be tapped or the lenses reach their limit.
  for (int round = 0; round < 12; ++round) {
    if (banded) Fit(ctx, layout);
    const Tally t = Measure(ctx, layout, 4);
    bool changed = false;
    for (int r = 0; r < ctx.Rows(); ++r) {
      if (Tappable(ctx, t, r)) continue;
      // Only small places are enlarged; a larger place that misses its bands
      // is the fit's to move.
      const bool hits_well = t.hit[r] * 10 >= t.owned[r] * 9;
      const std::u16string name(ctx.table->rows[r].name);
      auto lens = std::find_if(layout.lenses.begin(), layout.lenses.end(),
                               [&](const Lens& l) { return l.place == name; });
      if (lens == layout.lenses.end()) {
        const auto disc = LandDisc(ctx, r);
        if (!disc || t.owned[r] >= kSmallPlace || !hits_well) continue;
        const double zoom =
            std::clamp(std::sqrt(80.0 / std::max(1, t.owned[r])), 1.4, kMaxZoom);
        layout.lenses.push_back({name, 0, 0, disc->second, zoom});
        layout.lens_base_centres.push_back(disc->first);
        changed = true;
      } else if (lens->zoom < kMaxZoom && hits_well) {
        lens->zoom = std::min(kMaxZoom, lens->zoom * 1.25);
        changed = true;
      }
    }
    if (!changed) break;
    PlaceLenses(layout);
  }

  // Draw.
  Tally t = Measure(ctx, layout, 4);
  SeparateSameColourNeighbours(ctx, t);
  RegionMap map;
  map.sheet = sheet;
  map.layout = layout;
  std::vector<Color> palette;
  for (int r = 0; r < ctx.Rows(); ++r) {
    const Color key = ctx.table->rows[r].key_colour;
    if (std::find(palette.begin(), palette.end(), key) == palette.end()) palette.push_back(key);
  }
  const uint8_t white = static_cast<uint8_t>(palette.size());
  const uint8_t black = white + 1;
  const uint8_t neutral = white + 2;
  palette.push_back(tv::gfx::kWhite);
  palette.push_back(tv::gfx::kBlack);
  palette.push_back(kNeutralLand);
  const bool four_bit = palette.size() <= 16;
  palette.resize(four_bit ? 16 : 256, tv::gfx::kBlack);
  map.bitmap = tv::gfx::Bitmap(sheet.width, sheet.height,
                           four_bit ? tv::gfx::PixelFormat::kIndexed4 : tv::gfx::PixelFormat::kIndexed8);
  map.bitmap.SetPalette(palette);
  const int w = sheet.width;
  auto keyed = [&](int x, int y) { return t.pixel_hit[static_cast<size_t>(y) * w + x] != 0; };
  for (int y = 0; y < sheet.height; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t k = static_cast<size_t>(y) * w + x;
      uint8_t index = white;
      if (!Interior(sheet, x, y) || t.pixel_border[k]) {
        index = black;
      } else if (t.pixel_hit[k]) {
        const Color key = ctx.table->rows[t.pixel_row[k]].key_colour;
        index = static_cast<uint8_t>(std::find(palette.begin(), palette.end(), key) - palette.begin());
      } else if (t.pixel_class[k] != 0) {
        index = neutral;
        // Borders between two lands that are both drawn neutral.
        for (const Point n : {Point{x - 1, y}, Point{x, y - 1}}) {
          const size_t m = static_cast<size_t>(n.y) * w + n.x;
          if (t.pixel_class[m] != 0 && t.pixel_class[m] != t.pixel_class[k] && !keyed(n.x, n.y)) {
            index = black;
          }
        }
      }
      map.bitmap.SetIndex(x, y, index);
    }
  }

  for (int r = 0; r < ctx.Rows(); ++r) {
    CountryFigures f;
    f.name = ctx.table->rows[r].name;
    f.owned = t.owned[r];
    f.hit = t.hit[r];
    map.owned += f.owned;
    map.hit += f.hit;
    for (const Lens& lens : layout.lenses) {
      if (lens.place == f.name) f.zoom = lens.zoom;
    }
    if (f.hit > 0) {
      f.centre_x = t.sum_x[r] / f.hit;
      f.centre_y = t.sum_y[r] / f.hit;
    }
    const auto tap = FindTapBlock(map.bitmap, sheet.region, r, {f.centre_x, f.centre_y});
    f.has_block = tap.has_value();
    if (tap) f.tap = *tap;
    if (ctx.positions[r]) {
      f.has_position = true;
      f.position_pixel = PositionPixel(ctx, layout, *ctx.positions[r]);
      const Point p = f.position_pixel;
      if (Interior(sheet, p.x, p.y)) {
        const size_t k = static_cast<size_t>(p.y) * w + p.x;
        f.position_on_land = t.pixel_row[k] == r;
        f.position_hits = t.pixel_row[k] == r && t.pixel_hit[k];
      }
    }
    map.countries.push_back(f);
  }
  map.order_faults = OrderFaults(ctx, t);
  return map;
}

std::vector<std::string> CheckRegionMapTargets(const RegionMap& map) {
  std::vector<std::string> faults;
  const std::string region = tv::Utf16ToUtf8(terravue::RegionTable[map.sheet.region].name);
  if (map.owned == 0 || map.hit * 100 < map.owned * 98) {
    faults.push_back(region + ": less than 98 % of the mapped land hits its place");
  }
  for (const CountryFigures& f : map.countries) {
    const std::string name = region + ": " + tv::Utf16ToUtf8(f.name);
    if (f.owned == 0 || f.hit * 100 < f.owned * 80) faults.push_back(name + " hits on less than 80 % of its land");
    if (f.hit < kMinHitPixels) faults.push_back(name + " hits on fewer than 30 pixels");
    if (!f.has_block) faults.push_back(name + " has no 5x5 block that hits it");
    if (f.position_on_land && !f.position_hits) faults.push_back(name + " misses on its own coordinates");
  }
  for (const std::string& order : map.order_faults) faults.push_back(region + ": " + order);
  return faults;
}

std::string TapTableSource(const std::vector<RegionMap>& maps) {
  std::string out =
      "// Generated by terravue-artbuilder from the region maps it writes; do not edit.\n"
      "// For every mapped place of every region map: the centre of a 5x5 block of\n"
      "// pixels that the region map hit test gives to that place, also when read\n"
      "// back from a 16-bit display.\n"
      "#pragma once\n\n"
      "namespace terravue {\n\n"
      "struct RegionMapTap {\n"
      "  int region;\n"
      "  int row;\n"
      "  const char16_t* name;\n"
      "  int x;\n"
      "  int y;\n"
      "};\n\n"
      "inline constexpr RegionMapTap kRegionMapTaps[] = {\n";
  char buffer[256];
  for (const RegionMap& map : maps) {
    for (size_t r = 0; r < map.countries.size(); ++r) {
      const CountryFigures& f = map.countries[r];
      if (!f.has_block) continue;
      std::snprintf(buffer, sizeof buffer, "    {%d, %zu, u\"%s\", %d, %d},\n", map.sheet.region, r,
                    tv::Utf16ToUtf8(f.name).c_str(), f.tap.x, f.tap.y);
      out += buffer;
    }
  }
  out += "};\n\n}  // namespace terravue\n";
  return out;
}

}  // namespace terravue::artbuilder
