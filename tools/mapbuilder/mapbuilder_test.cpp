#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "maps/georef.h"
#include "tools/mapbuilder/cities.h"
#include "tools/mapbuilder/mapmaker.h"

namespace terravue::mapbuilder {
namespace {

namespace fs = std::filesystem;
using terravue::LonLat;

TEST(MapBuilderTest, ReadsFactbookCoordinatesAndNamesFiles) {
  const auto reunion = ParseFactbookCoordinates("21 06 S, 55 36 E");
  ASSERT_TRUE(reunion.has_value());
  EXPECT_DOUBLE_EQ(reunion->lat, -21.1);
  EXPECT_DOUBLE_EQ(reunion->lon, 55.6);
  // A list of parts answers with the first; a note after it is ignored.
  const auto lands = ParseFactbookCoordinates(
      "Ile Amsterdam (Ile Amsterdam et Ile Saint-Paul): 37 50 S, 77 32 E; Iles Crozet: 46 25 S, 51 00 E");
  ASSERT_TRUE(lands.has_value());
  EXPECT_NEAR(lands->lat, -(37 + 50 / 60.0), 1e-12);
  const auto west = ParseFactbookCoordinates("6 00 S, 71 30 W; note - Diego Garcia 7 20 S, 72 25 E");
  EXPECT_NEAR(west->lon, -71.5, 1e-12);
  EXPECT_FALSE(ParseFactbookCoordinates("N/A").has_value());
  EXPECT_FALSE(ParseFactbookCoordinates("95 00 N, 10 00 E").has_value());

  EXPECT_EQ(MapStem("Korea, South"), "Korea_South");
  EXPECT_EQ(MapStem("Holy See (Vatican City)"), "Holy_See_Vatican_City");
  EXPECT_EQ(MapStem("Cote d'Ivoire"), "Cote_d_Ivoire");
  EXPECT_EQ(MapStem("Falkland Islands (Islas Malvinas)"), "Falkland_Islands_Islas_Malvinas");
}

// Protocol buffer bytes for the city list.
std::string Varint(uint64_t v) {
  std::string out;
  while (v >= 0x80) {
    out += static_cast<char>((v & 0x7F) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
  return out;
}
std::string Field(int tag, const std::string& bytes) { return Varint(tag << 3 | 2) + Varint(bytes.size()) + bytes; }
std::string Number(int tag, uint64_t v) { return Varint(tag << 3) + Varint(v); }
uint64_t ZigZag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }
std::string Message(const std::string& body) { return Varint(body.size()) + body; }

TEST(MapBuilderTest, DecodesTheCityListWithItsRunningCoordinates) {
  const std::string paris = Field(2, "Paris") + Field(3, "FR") + Field(7, "PPLC") +
                            Number(9, 2138551) + Number(10, ZigZag(234880)) + Number(11, ZigZag(4885341));
  // The second city's position is a delta from the first's; an unknown
  // fixed-width field is skipped.
  const std::string lyon = Field(2, "Lyon") + Field(3, "FR") + Number(1, ZigZag(-5)) +
                           Varint(12 << 3 | 5) + std::string(4, '\0') + Number(9, 472317) +
                           Number(10, ZigZag(483270 - 234880)) + Number(11, ZigZag(4574840 - 4885341));
  const std::string data = Message(paris) + Message(lyon);
  const auto cities = DecodeCities(data);
  ASSERT_TRUE(cities.has_value());
  ASSERT_EQ(cities->size(), 2u);
  EXPECT_EQ((*cities)[0].feature_code, "PPLC");
  EXPECT_EQ((*cities)[0].population, 2138551);
  EXPECT_NEAR((*cities)[1].lon, 4.8327, 1e-9);
  EXPECT_NEAR((*cities)[1].lat, 45.7484, 1e-9);
  EXPECT_EQ((*cities)[1].name, "Lyon");
  // Cut anywhere inside a message, the list is refused rather than misread.
  for (size_t cut : {data.size() - 1, data.size() - 3, size_t{1}}) {
    EXPECT_FALSE(DecodeCities(std::string_view(data).substr(0, cut)).has_value()) << cut;
  }
}

TEST(MapBuilderTest, FindsEachPlacesCitiesAndCapital) {
  EXPECT_EQ(IsoCodes(".fr"), (std::set<std::string>{"FR"}));
  EXPECT_EQ(IsoCodes(".uk"), (std::set<std::string>{"GB"}));
  EXPECT_EQ(IsoCodes("Serbia: .rs; Montenegro: .me"), (std::set<std::string>{"ME", "RS"}));
  EXPECT_EQ(IsoCodes(".ru; note - Russia also has responsibility for a legacy domain \".su\""),
            (std::set<std::string>{"RU"}));
  EXPECT_TRUE(IsoCodes("N/A").empty());
  EXPECT_TRUE(IsoCodes(".com").empty());

  const City belgrade{"Belgrade", "RS", "PPLC", 1273651, 20.46, 44.8};
  const City podgorica{"Podgorica", "ME", "PPLC", 136473, 19.26, 42.44};
  const City novi_sad{"Novi Sad", "RS", "PPLA", 215400, 19.84, 45.25};
  const City apia{"Apia", "WS", "PPL", 40407, -171.77, -13.83};
  const std::vector<const City*> pair = {&novi_sad, &podgorica, &belgrade};
  // The Factbook's capital decides between two capitals, else the larger.
  EXPECT_EQ(FindCapital(pair, "Podgorica; note - ..."), &podgorica);
  EXPECT_EQ(FindCapital(pair, "Belgrade"), &belgrade);
  EXPECT_EQ(FindCapital(pair, "N/A"), &belgrade);
  // Without a GeoNames capital, a city named by the Factbook.
  EXPECT_EQ(FindCapital({&apia}, "Apia"), &apia);
  EXPECT_EQ(FindCapital({&apia}, "N/A"), nullptr);
}

artbuilder::Polygon Box(double lon0, double lat0, double lon1, double lat1) {
  return {{{lon0, lat0}, {lon1, lat0}, {lon1, lat1}, {lon0, lat1}, {lon0, lat0}}};
}

// Two neighbouring square countries, and an island cut by the antimeridian.
// Only France and Fiji are places of the list given.
Atlas TestAtlas() {
  std::vector<artbuilder::Feature> countries = {
      {"Spain", {Box(2, 0, 4, 2)}},
      {"France", {Box(0, 0, 2, 2)}},
      {"Fiji", {Box(179, -10, 180, -9), Box(-180, -10, -179, -9)}},
      {"Atlantis", {Box(10, 10, 11, 11)}},
  };
  std::vector<artbuilder::Feature> land = {{"", {Box(0, 0, 4, 2)}}};
  return BuildAtlas(countries, land, {"France", "Fiji"});
}

TEST(MapBuilderTest, PaintsThePlaceItsNeighboursTheSeaAndTheEdgesBetween) {
  const Atlas mine = TestAtlas();
  ASSERT_EQ(mine.countries.size(), 5u);
  EXPECT_EQ(mine.countries[0].owner, -1) << "Spain is not in this place list";
  EXPECT_EQ(mine.countries[1].owner, 0);
  EXPECT_EQ(mine.countries[2].owner, 1);
  EXPECT_EQ(mine.countries[4].owner, -1) << "no place of the tables";
  const Frame frame = AzimuthalFrame({2, 1}, 400000, 300000);
  ASSERT_EQ(frame.width, 480);
  ASSERT_EQ(frame.height, 360);
  const Classes classes = Classify(mine, frame);
  auto pixel_of = [&](double lon, double lat) {
    const auto p = frame.georef.LonLatToPixel({lon, lat});
    return std::pair{static_cast<int>(std::lround(p->x)), static_cast<int>(std::lround(p->y))};
  };
  const auto [hx, hy] = pixel_of(1, 1);
  const auto [ex, ey] = pixel_of(3, 1);
  const auto [sx, sy] = pixel_of(2, 3);
  EXPECT_EQ(classes.At(hx, hy), 0);
  EXPECT_EQ(classes.At(ex, ey), kUnownedLandCode + 0);
  EXPECT_EQ(classes.At(sx, sy), kSeaCode);

  const tv::gfx::Bitmap bitmap = PaintClasses(classes, 0);
  EXPECT_EQ(bitmap.Index(hx, hy), kPlaceLand);
  EXPECT_EQ(bitmap.Index(ex, ey), kOtherLand);
  EXPECT_EQ(bitmap.Index(sx, sy), kSea);
  // Walking east along the 1st parallel crosses one border; walking north
  // from the place's middle reaches its coast before the sea.
  int borders = 0;
  for (int x = hx; x <= ex; ++x) borders += bitmap.Index(x, hy) == kBorder;
  EXPECT_GE(borders, 1);
  EXPECT_LE(borders, 2);
  int y = hy;
  while (y > 0 && bitmap.Index(hx, y) == kPlaceLand) --y;
  EXPECT_EQ(bitmap.Index(hx, y), kCoast);
  EXPECT_EQ(bitmap.Index(hx, y - 1), kSea);

  // The point check finds the place, a neighbour's point only at a distance.
  EXPECT_EQ(DistanceToClass(classes, frame.georef, {1, 1}, 0, 2), 0);
  EXPECT_FALSE(DistanceToClass(classes, frame.georef, {3, 1}, 0, 2).has_value());
  EXPECT_FALSE(DistanceToClass(classes, frame.georef, {60, 1}, 0, 2).has_value()) << "off the map";
}

TEST(MapBuilderTest, PlacesAcrossTheAntimeridianAndAtThePoleAreWhole) {
  const Atlas atlas = TestAtlas();
  const Frame frame = PlaceFrame(atlas, 1, LonLat{180, -9.5});
  EXPECT_NEAR(std::abs(frame.georef.Centre().lon), 180, 0.01);
  EXPECT_NEAR(frame.georef.Centre().lat, -9.5, 0.01);
  const Classes classes = Classify(atlas, frame);
  for (double lon : {179.5, -179.5}) {
    EXPECT_EQ(DistanceToClass(classes, frame.georef, {lon, -9.5}, 1, 0), 0) << lon;
  }
  // A small place is drawn at the scale of the smallest area a map shows.
  EXPECT_NEAR(frame.georef.World().a, 2 * kMinHalfExtentMetres / kLongSide, 1e-6);

  // A polar frame reaches every longitude around the pole.
  std::vector<artbuilder::Feature> polar = {
      {"Antarctica", {{{{-180, -80}, {-90, -80}, {0, -80}, {90, -80}, {180, -80}, {180, -90}, {-180, -90}, {-180, -80}}}}}};
  const Atlas south = BuildAtlas(polar, {}, {"Antarctica"});
  const Frame pole = AzimuthalFrame({0, -90}, 2000000, 2000000);
  const Classes ice = Classify(south, pole);
  for (double lon : {-170.0, -60.0, 0.0, 45.0, 175.0}) {
    EXPECT_EQ(DistanceToClass(ice, pole.georef, {lon, -85}, 0, 0), 0) << lon;
    EXPECT_EQ(DistanceToClass(ice, pole.georef, {lon, -75}, kSeaCode, 0), 0) << lon;
  }
}

TEST(MapBuilderTest, FramesShowTheirPlaceWholeAndOpenOnItsPoint) {
  struct Case {
    const char* what;
    artbuilder::Polygon land;
    LonLat point;
    int width, height;  // 0: at most kLongSide
    bool ringed;
  };
  const Case kCases[] = {
      {"long and thin, the point in the middle", Box(-71, -50, -70, -20), {-70.5, -35}, 0, 0, false},
      {"wide, the point in the middle", Box(0, 0, 20, 10), {10, 5}, 0, 0, false},
      {"the point at the far east", Box(0, 0, 20, 10), {19.9, 0.1}, 0, 0, false},
      {"the point at the far west", Box(0, 40, 12, 48), {0.1, 47.9}, 0, 0, false},
      {"small: the map is the opening view", Box(7.4, 43.72, 7.44, 43.76), {7.42, 43.74},
       kOpeningWidth, kOpeningHeight, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const Atlas atlas = BuildAtlas({{"Chile", {c.land}}}, {}, {"Chile"});
    const Frame frame = PlaceFrame(atlas, 0, c.point);
    if (c.width > 0) {
      EXPECT_EQ(frame.width, c.width);
      EXPECT_EQ(frame.height, c.height);
    }
    EXPECT_LE(std::max(frame.width, frame.height), kLongSide);
    EXPECT_EQ(CheckOpeningView(frame.georef, c.point, c.ringed), "");
    // Every corner of the place is on the map.
    for (const artbuilder::GeoPoint& g : c.land.front()) {
      const auto p = frame.georef.LonLatToPixel({g.lon, g.lat});
      ASSERT_TRUE(p.has_value());
      EXPECT_GE(p->x, 0);
      EXPECT_GE(p->y, 0);
      EXPECT_LE(p->x, frame.width - 1);
      EXPECT_LE(p->y, frame.height - 1);
    }
  }
  // A polar map about its pole still opens on it.
  const Frame pole = OpeningFrame({0, -90}, {3400000, 3400000}, 0, {3400000, 3400000}, LonLat{0, -90});
  EXPECT_EQ(CheckOpeningView(pole.georef, {0, -90}, false), "");
  // Beyond the opening view, or a ring reaching past it, is a fault.
  const Frame wide = AzimuthalFrame({0, 0}, 400000, 300000);
  const auto at = [&](double x, double y) { return *wide.georef.PixelToLonLat({x, y}); };
  EXPECT_EQ(CheckOpeningView(wide.georef, at(226, 254), false), "");
  EXPECT_NE(CheckOpeningView(wide.georef, at(227, 100), false), "");
  EXPECT_NE(CheckOpeningView(wide.georef, at(100, 255), false), "");
  EXPECT_NE(CheckOpeningView(wide.georef, at(220, 100), true), "");
  EXPECT_NE(CheckOpeningView(wide.georef, at(4, 100), true), "");
}

TEST(MapBuilderTest, IslandGroupsAreFramedAndNamed) {
  // Two atolls of one group and one of another place inside its box.
  const Atlas atlas = BuildAtlas({{"Kiribati", {Box(173, 1, 173.1, 1.1), Box(174, 0, 174.1, 0.1)}},
                                  {"Nauru", {Box(173.5, 0.5, 173.6, 0.6)}}},
                                 {}, {"Kiribati", "Nauru"});
  const Frame frame = AzimuthalFrame({173.5, 0.5}, 400000, 400000);
  tv::gfx::Bitmap bitmap(frame.width, frame.height, tv::gfx::PixelFormat::kIndexed4);
  bitmap.SetPalette(MapPalette());
  const std::vector<IslandGroup> groups = {{"Kiribati", "Gilbert Islands", 172, 175, -1, 2},
                                           {"Nauru", "Nowhere", 150, 151, 0, 1}};
  const auto names = DrawIslandGroups(bitmap, frame.georef, atlas, 0, groups);
  ASSERT_EQ(names.size(), 1u) << "only the place's own group with islands on the map";
  // The frame lies just outside both atolls, and the name above it.
  const auto west = *frame.georef.LonLatToPixel({173, 1.05});
  const auto east = *frame.georef.LonLatToPixel({174.1, 0.05});
  int ring = 0;
  for (int x = 0; x < bitmap.Width(); ++x) ring += bitmap.Index(x, std::lround(west.y)) == kSmallPlaceRing;
  EXPECT_EQ(ring, 2);
  EXPECT_EQ(bitmap.Index(std::lround(west.x) - 5, std::lround(west.y)), kSmallPlaceRing);
  EXPECT_EQ(bitmap.Index(std::lround(east.x) + 5, std::lround(west.y)), kSmallPlaceRing);
  EXPECT_LT(names[0].bottom, west.y);
}

TEST(MapBuilderTest, GifsRoundTripWithASmallPalette) {
  tv::gfx::Bitmap bitmap(37, 21, tv::gfx::PixelFormat::kIndexed4);
  bitmap.SetPalette(MapPalette());
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 37; ++x) bitmap.SetIndex(x, y, static_cast<uint8_t>((x * 7 + y) % kPaletteUsed));
  }
  const fs::path path = fs::temp_directory_path() / ("mapbuilder_test_" + std::to_string(::getpid()) + ".gif");
  std::string error;
  ASSERT_TRUE(WriteGif(bitmap, path.string(), error)) << error;
  const auto back = ReadGif(path.string());
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->width, 37);
  EXPECT_EQ(back->height, 21);
  EXPECT_EQ(back->colours, 16);
  EXPECT_EQ(back->indices[20 * 37 + 36], (36 * 7 + 20) % kPaletteUsed);
  fs::remove(path);
  EXPECT_FALSE(WriteGif(bitmap, "/nonexistent-folder/x.gif", error));
}

// The maps committed with the sources, as the program and GIS tools find
// them: every place's "map" names a GIF with its .gfw and .prj, small
// enough to scroll, whose scale is the one the country file gives.
TEST(CommittedMapsTest, EveryPlaceHasAGeoreferencedMapOfItsScale) {
  const fs::path source = TERRAVUE_SOURCE_DIR;
  std::ifstream in(source / "data" / "QuorvelCountriesTerravue.txt");
  ASSERT_TRUE(in) << "country file missing";
  std::map<std::string, std::pair<std::string, std::string>> maps;  // place -> (map, scale)
  std::map<std::string, std::string> points;                         // place -> coordinates
  std::string line, place;
  while (std::getline(in, line)) {
    if (line.rfind("<country>", 0) == 0) place = line.substr(9);
    if (line.rfind("<map>", 0) == 0) maps[place].first = line.substr(5);
    if (line.rfind("<scale>", 0) == 0) maps[place].second = line.substr(7);
    if (line.rfind("<coordinates>", 0) == 0) points[place] = line.substr(13);
  }
  ASSERT_EQ(maps.size(), 256u);
  const fs::path folder = source / "data" / "Terravue Maps";
  std::uintmax_t bytes = 0;
  for (const auto& [name, map] : maps) {
    SCOPED_TRACE(name);
    const fs::path gif = folder / (map.first + ".gif");
    ASSERT_TRUE(fs::is_regular_file(gif)) << gif;
    const auto image = ReadGif(gif.string());
    ASSERT_TRUE(image.has_value());
    EXPECT_LE(std::max(image->width, image->height), kLongSide);
    // Never much narrower than half its length, as the frame's
    // surroundings are; cut west and north only to open on the place.
    EXPECT_GE(std::min(image->width, image->height), kLongSide / 3);
    EXPECT_LE(image->colours, 16);
    const auto georef = terravue::ReadGeoref(gif);
    ASSERT_TRUE(georef.has_value());
    EXPECT_EQ(georef->GetProjection(), name == "World" ? terravue::Projection::kPlateCarree
                                                       : terravue::Projection::kAzimuthalEquidistant);
    const double scale = std::strtod(map.second.c_str(), nullptr);
    EXPECT_NEAR(scale, georef->KmPerPixelAtCentre(image->width, image->height), 0.0006);
    // The screen opens on the map's top-left corner, which shows the place.
    if (const auto point = ParseFactbookCoordinates(points[name])) {
      EXPECT_EQ(CheckOpeningView(*georef, *point, false), "");
    }
    bytes += fs::file_size(gif);
  }
  EXPECT_LT(bytes, 8u << 20);
}

}  // namespace
}  // namespace terravue::mapbuilder
