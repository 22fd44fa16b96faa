#include "tools/artbuilder/worldmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"
#include "tools/artbuilder/raster.h"

namespace terravue::artbuilder {
namespace {

using tv::gfx::Color;
using tv::gfx::Point;

constexpr Color kSea = tv::gfx::kWhite;
constexpr Color kUnkeyedLand = tv::gfx::kSilver;
constexpr Color kNearShadow = tv::gfx::kGrey;
constexpr Color kFarShadow = tv::gfx::kSilver;
// Cell height of the region labels, and how far (in pixels) a label may move
// from its chosen position to keep off other regions.
constexpr int kLabelHeight = 10;
constexpr int kLabelSearch = 6;

// Europe's side of Russia, as a ring of (lon, lat): the Ural ridge from the
// Kara Sea (east of Novaya Zemlya and Vaygach, west of Yamal) over the Pay-Khoy
// and the Polar, Northern and Southern Urals to Magnitogorsk, then the Ural
// river past Orsk and Orenburg to the Kazakh border, then south to the
// Caspian. Everything of Russia west of this line, the Caucasus slope
// included, is Europe.
const Ring& EuropeanRussiaRing() {
  static const Ring ring = {
      {0, 90},      {72, 90},     {72, 76},     {66, 74},     {64, 71},
      {64.5, 69.4}, {66.2, 68.5}, {64.5, 66.7}, {60.1, 65.0}, {59.2, 62.0},
      {59.1, 59.6}, {59.9, 56.8}, {59.6, 55.2}, {59.0, 53.4}, {58.6, 51.2},
      {55.1, 51.8}, {53.0, 51.4}, {52.5, 40},   {0, 40},
  };
  return ring;
}

bool RingContains(const Ring& ring, double lon, double lat) {
  bool inside = false;
  const size_t n = ring.size();
  for (size_t k = 0, prev = n - 1; k < n; prev = k++) {
    const GeoPoint& a = ring[k];
    const GeoPoint& b = ring[prev];
    if ((a.lat > lat) != (b.lat > lat) &&
        lon < a.lon + (lat - a.lat) * (b.lon - a.lon) / (b.lat - a.lat)) {
      inside = !inside;
    }
  }
  return inside;
}

// Natural Earth names whose spelling differs from our tables.
constexpr AtlasAlias kAliases[] = {
    {"Antigua and Barb.", u"Antigua and Barbuda"},
    {"Ashmore and Cartier Is.", u"Ashmore and Cartier Islands"},
    {"Bahamas", u"Bahamas, The"},
    {"Bosnia and Herz.", u"Bosnia and Herzegovina"},
    {"Br. Indian Ocean Ter.", u"British Indian Ocean Territory"},
    {"British Virgin Is.", u"British Virgin Islands"},
    {"Cabo Verde", u"Cape Verde"},
    {"Cayman Is.", u"Cayman Islands"},
    {"Central African Rep.", u"Central African Republic"},
    {"Congo", u"Congo, Republic of the"},
    {"Cook Is.", u"Cook Islands"},
    {"Czechia", u"Czech Republic"},
    {"C\u00f4te d'Ivoire", u"Cote d'Ivoire"},
    {"Dem. Rep. Congo", u"Congo, Democratic Republic of the"},
    {"Dominican Rep.", u"Dominican Republic"},
    {"Eq. Guinea", u"Equatorial Guinea"},
    {"Faeroe Is.", u"Faroe Islands"},
    {"Falkland Is.", u"Falkland Islands (Islas Malvinas)"},
    {"Fr. Polynesia", u"French Polynesia"},
    {"Fr. S. Antarctic Lands", u"French Southern and Antarctic Lands"},
    {"Gambia", u"Gambia, The"},
    {"Heard I. and McDonald Is.", u"Heard Island and McDonald Islands"},
    {"Indian Ocean Ter.", u"Christmas Island"},
    {"Isle of Man", u"Man, Isle of"},
    {"Lesotho", u"Lethoso"},
    {"Macedonia", u"Macedonia, The Former Yugoslav Republic of"},
    {"North Macedonia", u"Macedonia, The Former Yugoslav Republic of"},
    {"Marshall Is.", u"Marshall Islands"},
    {"Micronesia", u"Micronesia, Federated States of"},
    {"Myanmar", u"Burma"},
    {"N. Mariana Is.", u"Northern Mariana Islands"},
    {"North Korea", u"Korea, North"},
    {"South Korea", u"Korea, South"},
    {"Palestine", u"West Bank"},
    {"Pitcairn Is.", u"Pitcairn Islands"},
    {"S. Geo. and the Is.", u"South Georgia and the South Sandwich Islands"},
    {"Solomon Is.", u"Solomon Islands"},
    {"St. Kitts and Nevis", u"Saint Kitts and Nevis"},
    {"St. Pierre and Miquelon", u"Saint Pierre and Miquelon"},
    {"St. Vin. and Gren.", u"Saint Vincent and the Grenadines"},
    {"S\u00e3o Tom\u00e9 and Principe", u"Sao Tome and Principe"},
    {"Timor-Leste", u"East Timor"},
    {"Turks and Caicos Is.", u"Turks and Caicos Islands"},
    {"U.S. Virgin Is.", u"Virgin Islands"},
    {"United States of America", u"United States"},
    {"Vatican", u"Holy See (Vatican City)"},
    {"W. Sahara", u"Western Sahara"},
    {"Wallis and Futuna Is.", u"Wallis and Futuna"},
    {"eSwatini", u"Swaziland"},
    // Lands that belonged to one of our places when the tables were drawn
    // up, or that only their neighbours recognise apart from it; the map
    // colours regions, and each of these lies in its place's region.
    {"Serbia", u"Serbia and Montenegro"},
    {"Montenegro", u"Serbia and Montenegro"},
    {"Kosovo", u"Serbia and Montenegro"},
    {"S. Sudan", u"Sudan"},
    {"Somaliland", u"Somalia"},
    {"N. Cyprus", u"Cyprus"},
    {"Cura\u00e7ao", u"Netherlands Antilles"},
    {"Sint Maarten", u"Netherlands Antilles"},
    {"St-Martin", u"Guadeloupe"},
    {"St-Barth\u00e9lemy", u"Guadeloupe"},
    {"\u00c5land", u"Finland"},
    {"Macao", u"China"},
};

// Polygons of a feature that stand for a place of their own, found by the
// box (lon, lat) that holds the polygon's centre.
struct OverseasPart {
  std::string_view atlas;
  double lon_min, lon_max, lat_min, lat_max;
  std::u16string_view place;
};

constexpr OverseasPart kOverseasParts[] = {
    {"France", -55, -51, 2, 6.5, u"French Guiana"},
    {"France", -62, -60.9, 15.8, 16.7, u"Guadeloupe"},
    {"France", -61.3, -60.7, 14.3, 15, u"Martinique"},
    {"France", 55, 56, -21.5, -20.8, u"Reunion"},
    {"France", 44.9, 45.4, -13.1, -12.5, u"Mayotte"},
    {"Netherlands", -69, -62, 11, 18.5, u"Netherlands Antilles"},
    {"Norway", -9.5, -7.5, 70.5, 71.5, u"Jan Mayen"},
    {"Norway", 3, 4, -55, -54, u"Bouvet Island"},
    {"Indian Ocean Ter.", 96, 97.5, -12.5, -11.5, u"Cocos (keeling) Islands"},
    {"Palestine", 34, 34.6, 31.2, 31.7, u"Gaza Strip"},
    // Natural Earth draws Crimea, Sevastopol included, as a polygon of its
    // own within Russia's feature (at 1:10m and 1:50m alike); the Factbook
    // counts it in Ukraine's area, and so do our maps. No other polygon of
    // Russia has its centre in this box: the Taman peninsula across the Kerch
    // Strait is part of Russia's mainland polygon.
    {"Russia", 32.5, 36.7, 44.3, 46.3, u"Ukraine"},
};

bool IsOtherPlace(std::u16string_view name) {
  for (std::u16string_view other : terravue::OtherPlacesTable) {
    if (other == name) return true;
  }
  return false;
}

// One kind of land on the map: a place (or a part of Russia) as drawn from
// one atlas feature.
struct LandClass {
  std::string atlas;
  std::string place;  // UTF-8; the atlas name when the feature has no place
  int region = -1;
};

class LandClasses {
 public:
  LandClasses() { classes_.push_back({}); }  // class 0 is the sea

  int Find(const std::string& atlas, const std::string& place, int region) {
    for (size_t k = 1; k < classes_.size(); ++k) {
      const LandClass& c = classes_[k];
      if (c.atlas == atlas && c.place == place && c.region == region) return static_cast<int>(k);
    }
    classes_.push_back({atlas, place, region});
    return static_cast<int>(classes_.size() - 1);
  }
  const LandClass& operator[](int k) const { return classes_[k]; }

 private:
  std::vector<LandClass> classes_;
};

uint8_t PaletteIndex(Color c) {
  const std::span<const Color> palette = tv::gfx::Vga16Palette();
  for (size_t k = 0; k < palette.size(); ++k) {
    if (palette[k] == c) return static_cast<uint8_t>(k);
  }
  std::abort();  // only palette colours are ever painted
}

bool IsKeyColour(Color c) {
  for (int region = 0; region < terravue::kRegionCount; ++region) {
    if (terravue::RegionTable[region].key_colour == c) return true;
  }
  return false;
}

}  // namespace

std::span<const AtlasAlias> AtlasAliases() { return kAliases; }

bool IsEuropeanRussia(double lon, double lat) {
  return RingContains(EuropeanRussiaRing(), lon, lat);
}

std::optional<std::u16string> PlaceOfAtlasName(std::string_view atlas_name) {
  for (const AtlasAlias& alias : kAliases) {
    if (alias.atlas == atlas_name) return std::u16string(alias.place);
  }
  std::u16string name = tv::Utf8ToUtf16(atlas_name);
  if (terravue::FindRegionOfCountry(name) >= 0 || IsOtherPlace(name)) return name;
  return std::nullopt;
}

std::optional<std::u16string> PlaceOfOverseasPart(std::string_view atlas_name,
                                                  const Polygon& polygon) {
  if (polygon.empty() || polygon.front().empty()) return std::nullopt;
  double lon_min = 1e9, lon_max = -1e9, lat_min = 1e9, lat_max = -1e9;
  for (const GeoPoint& p : polygon.front()) {
    lon_min = std::min(lon_min, p.lon);
    lon_max = std::max(lon_max, p.lon);
    lat_min = std::min(lat_min, p.lat);
    lat_max = std::max(lat_max, p.lat);
  }
  const double lon = (lon_min + lon_max) / 2;
  const double lat = (lat_min + lat_max) / 2;
  for (const OverseasPart& part : kOverseasParts) {
    if (part.atlas == atlas_name && lon >= part.lon_min && lon <= part.lon_max &&
        lat >= part.lat_min && lat <= part.lat_max) {
      return std::u16string(part.place);
    }
  }
  return std::nullopt;
}

tv::gfx::Point MapPixelOf(double lon, double lat) {
  return {static_cast<int>(std::floor(lon / kDegreesPerPixel + 120)),
          static_cast<int>(std::floor(60 - lat / kDegreesPerPixel))};
}

WorldMap BuildWorldMap(const std::vector<Feature>& countries) {
  constexpr int kSide = kSamplesPerSide;
  const SampleGrid grid{kMapWidth * kSide, kMapHeight * kSide, -180, 90,
                        kDegreesPerPixel / kSide};
  std::vector<uint16_t> owner(static_cast<size_t>(grid.width) * grid.height, 0);
  LandClasses classes;
  WorldMap map;

  for (const Feature& feature : countries) {
    const std::optional<std::u16string> place = PlaceOfAtlasName(feature.name);
    if (!place || terravue::FindRegionOfCountry(*place) < 0) {
      map.unassigned_features.push_back(feature.name);
    }
    for (const Polygon& polygon : feature.polygons) {
      std::optional<std::u16string> part_place = PlaceOfOverseasPart(feature.name, polygon);
      if (!part_place) part_place = place;
      const std::string place_utf8 = part_place ? tv::Utf16ToUtf8(*part_place) : feature.name;
      const int region = part_place ? terravue::FindRegionOfCountry(*part_place) : -1;
      // Only Russia's own polygons are split between Europe and Asia.
      if (part_place && *part_place == u"Russia") {
        const int europe = classes.Find(feature.name, place_utf8, 3);
        const int asia = classes.Find(feature.name, place_utf8, 1);
        RasterisePolygon(polygon, grid, [&](int i, int j) {
          owner[static_cast<size_t>(j) * grid.width + i] =
              IsEuropeanRussia(grid.SampleLon(i), grid.SampleLat(j)) ? europe : asia;
        });
      } else {
        const int land = classes.Find(feature.name, place_utf8, region);
        RasterisePolygon(polygon, grid, [&](int i, int j) {
          owner[static_cast<size_t>(j) * grid.width + i] = static_cast<uint16_t>(land);
        });
      }
    }
  }

  map.bitmap = tv::gfx::Bitmap(kMapWidth, kMapHeight, tv::gfx::PixelFormat::kIndexed4);
  map.bitmap.SetPalette(tv::gfx::Vga16Palette());
  map.intended.assign(kMapWidth * kMapHeight, -1);
  std::vector<bool> land(kMapWidth * kMapHeight, false);

  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      std::array<std::pair<uint16_t, int>, kSide * kSide> counts{};
      int distinct = 0;
      int land_samples = 0;
      for (int sj = 0; sj < kSide; ++sj) {
        for (int si = 0; si < kSide; ++si) {
          const uint16_t c = owner[static_cast<size_t>(y * kSide + sj) * grid.width + x * kSide + si];
          if (c == 0) continue;
          ++land_samples;
          int k = 0;
          while (k < distinct && counts[k].first != c) ++k;
          if (k == distinct) counts[distinct++] = {c, 0};
          ++counts[k].second;
        }
      }
      const size_t p = static_cast<size_t>(y) * kMapWidth + x;
      if (land_samples * 2 < kSide * kSide) {
        map.bitmap.SetIndex(x, y, PaletteIndex(kSea));
        continue;
      }
      land[p] = true;
      // The class with most samples; ties go to the class met first in the
      // atlas, which keeps the result stable from run to run.
      int best = 0;
      for (int k = 1; k < distinct; ++k) {
        if (counts[k].second > counts[best].second ||
            (counts[k].second == counts[best].second && counts[k].first < counts[best].first)) {
          best = k;
        }
      }
      const LandClass& owner_class = classes[counts[best].first];
      if (owner_class.region < 0) {
        map.bitmap.SetIndex(x, y, PaletteIndex(kUnkeyedLand));
        ++map.unassigned[owner_class.atlas];
        continue;
      }
      const Color key = terravue::RegionTable[owner_class.region].key_colour;
      ++map.region_pixels[owner_class.region];
      std::u16string name;
      if (x == 0 || terravue::HitTestRegion(key, x, name) != owner_class.region) {
        // Its key colour would send a tap here to another region (or to
        // none, at x = 0); the land stays, without a key colour.
        map.bitmap.SetIndex(x, y, PaletteIndex(kUnkeyedLand));
        ++map.settled[owner_class.place];
        continue;
      }
      map.bitmap.SetIndex(x, y, PaletteIndex(key));
      map.intended[p] = owner_class.region;
    }
  }

  // Land casts a shadow down and to the right onto the sea: grey next to the
  // coast, silver one pixel further.
  auto is_land = [&](int x, int y) {
    return x >= 0 && y >= 0 && land[static_cast<size_t>(y) * kMapWidth + x];
  };
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      if (is_land(x, y)) continue;
      if (is_land(x - 1, y - 1)) {
        map.bitmap.SetIndex(x, y, PaletteIndex(kNearShadow));
      } else if (is_land(x - 2, y - 2)) {
        map.bitmap.SetIndex(x, y, PaletteIndex(kFarShadow));
      }
    }
  }
  return map;
}

const std::vector<MapLabel>& MapLabels() {
  static const std::vector<MapLabel> labels = {
      {u"North America", 5, {14, 24}, tv::gfx::kBlack},
      {u"South", 6, {66, 64}, tv::gfx::kBlack},
      {u"America", 6, {62, 72}, tv::gfx::kBlack},
      {u"Europe", 3, {126, 18}, tv::gfx::kBlack},
      {u"Africa", 0, {118, 56}, tv::gfx::kBlack},
      {u"Middle", 4, {141, 36}, tv::gfx::kBlack},
      {u"East", 4, {150, 44}, tv::gfx::kBlack},
      {u"Asia", 1, {190, 20}, tv::gfx::kWhite},
      {u"Australia", 2, {190, 76}, tv::gfx::kBlack},
  };
  return labels;
}

bool DrawMapLabels(WorldMap& map, std::string& error) {
  const std::shared_ptr<const tv::gfx::Font> font =
      tv::gfx::Font::Get({"Verdana", kLabelHeight, tv::gfx::kWeightBold, false});
  if (!font) {
    error = "no font answers for Verdana";
    return false;
  }
  std::vector<bool> inked(map.intended.size(), false);
  for (const MapLabel& label : MapLabels()) {
    // The ink is wherever the text changes a white surface.
    const tv::gfx::Size size = font->Measure(label.text);
    tv::gfx::Bitmap scratch(size.width, size.height, tv::gfx::PixelFormat::kRgb888);
    scratch.Fill(tv::gfx::kWhite);
    {
      tv::gfx::Canvas canvas(scratch);
      canvas.SetFont(font);
      canvas.SetTextColor(tv::gfx::kBlack);
      canvas.SetBackgroundMode(tv::gfx::BackgroundMode::kTransparent);
      canvas.DrawText({0, 0}, label.text);
    }
    std::vector<tv::gfx::Point> ink;
    for (int y = 0; y < scratch.Height(); ++y) {
      for (int x = 0; x < scratch.Width(); ++x) {
        if (scratch.Load(x, y) != tv::gfx::kWhite) ink.push_back({x, y});
      }
    }

    // Fonts differ from machine to machine by a pixel or two, so the label
    // goes to the place near its chosen position where no ink falls on
    // another region or label and most ink lies on its own region.
    WorldMap::LabelCoverage best{tv::Utf16ToUtf8(label.text), label.color};
    tv::gfx::Point best_position = label.position;
    int best_distance = 0;
    bool found = false;
    for (int dy = -kLabelSearch; dy <= kLabelSearch; ++dy) {
      for (int dx = -kLabelSearch; dx <= kLabelSearch; ++dx) {
        const tv::gfx::Point at = label.position + tv::gfx::Point{dx, dy};
        WorldMap::LabelCoverage coverage{best.text, label.color};
        bool clear = true;
        for (tv::gfx::Point p : ink) {
          const tv::gfx::Point q = at + p;
          if (q.x < 0 || q.y < 0 || q.x >= kMapWidth || q.y >= kMapHeight) {
            clear = false;
            break;
          }
          const size_t k = static_cast<size_t>(q.y) * kMapWidth + q.x;
          if (inked[k]) clear = false;
          ++coverage.ink;
          if (map.intended[k] == label.region) {
            ++coverage.on_region;
          } else if (map.intended[k] >= 0) {
            ++coverage.on_other_region;
          }
        }
        if (!clear) continue;
        const int distance = dx * dx + dy * dy;
        const bool better =
            !found || coverage.on_other_region < best.on_other_region ||
            (coverage.on_other_region == best.on_other_region &&
             (coverage.on_region > best.on_region ||
              (coverage.on_region == best.on_region && distance < best_distance)));
        if (better) {
          found = true;
          best = coverage;
          best_position = at;
          best_distance = distance;
        }
      }
    }
    if (!found) {
      error = "no room for the label " + best.text;
      return false;
    }
    tv::gfx::Canvas canvas(map.bitmap);
    canvas.SetFont(font);
    canvas.SetTextColor(label.color);
    canvas.SetBackgroundMode(tv::gfx::BackgroundMode::kTransparent);
    canvas.DrawText(best_position, label.text);
    for (tv::gfx::Point p : ink) {
      const size_t k = static_cast<size_t>(best_position.y + p.y) * kMapWidth + best_position.x + p.x;
      inked[k] = true;
      map.intended[k] = -1;
    }
    best.position = best_position;
    map.labels.push_back(best);
  }
  return true;
}

std::vector<std::string> CheckWorldMap(const tv::gfx::Bitmap& bitmap, const std::vector<int>& intended) {
  std::vector<std::string> errors;
  if (bitmap.Width() != kMapWidth || bitmap.Height() != kMapHeight) {
    errors.push_back("the map is not 240 by 120 pixels");
    return errors;
  }
  if (bitmap.Format() != tv::gfx::PixelFormat::kIndexed4 ||
      !std::ranges::equal(bitmap.Palette(), tv::gfx::Vga16Palette())) {
    errors.push_back("the map is not 4-bit with the standard 16-colour palette");
  }
  if (intended.size() != static_cast<size_t>(kMapWidth) * kMapHeight) {
    errors.push_back("no intended region for every pixel");
    return errors;
  }
  int wrong_region = 0;
  int at_zero = 0;
  int stray = 0;
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      const Color c = bitmap.Load(x, y);
      if (!IsKeyColour(c)) continue;
      const int want = intended[static_cast<size_t>(y) * kMapWidth + x];
      std::u16string name;
      const int got = terravue::HitTestRegion(c, x, name);
      if (x == 0) ++at_zero;
      if (want < 0) {
        ++stray;
      } else if (got != want) {
        ++wrong_region;
      }
    }
  }
  if (wrong_region > 0) {
    errors.push_back(std::to_string(wrong_region) +
                     " key-coloured pixels resolve to another region than they were painted for");
  }
  if (at_zero > 0) errors.push_back(std::to_string(at_zero) + " key-coloured pixels at x = 0");
  if (stray > 0) {
    errors.push_back(std::to_string(stray) + " key-coloured pixels that were painted for no region");
  }
  return errors;
}

}  // namespace terravue::artbuilder
