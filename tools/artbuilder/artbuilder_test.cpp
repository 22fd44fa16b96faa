#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "places/places.h"
#include "platform/gfx/bitmap.h"
#include "tools/artbuilder/faces.h"
#include "tools/artbuilder/globe.h"
#include "tools/artbuilder/raster.h"
#include "tools/artbuilder/topojson.h"
#include "tools/artbuilder/worldmap.h"

namespace terravue::artbuilder {
namespace {

using tv::gfx::Color;

// Two squares sharing the arc 0 (their common edge); the second has a hole.
// Quantized: scale 0.5 degrees per unit, translated by (10, 20).
constexpr std::string_view kTopology = R"({
  "type": "Topology",
  "transform": {"scale": [0.5, 0.5], "translate": [10, 20]},
  "objects": {"countries": {"type": "GeometryCollection", "geometries": [
    {"type": "Polygon", "arcs": [[0, 1]], "properties": {"name": "West"}},
    {"type": "MultiPolygon", "arcs": [[[2, -1], [3]]], "properties": {"name": "East"}},
    {"type": "LineString", "arcs": [0], "properties": {"name": "Line"}}
  ]}},
  "arcs": [
    [[4, 0], [0, 4]],
    [[4, 4], [-4, 0], [0, -4], [4, 0]],
    [[4, 0], [4, 0], [0, 4], [-4, 0]],
    [[5, 1], [2, 0], [0, 2], [-2, 0], [0, -2]]
  ]
})";

TEST(TopoJson, DecodesQuantizedArcsReversalsAndHoles) {
  std::string error;
  const auto features = DecodeTopoJson(kTopology, "countries", error);
  ASSERT_TRUE(features) << error;
  ASSERT_EQ(features->size(), 2u);  // the line string is skipped

  const Feature& west = (*features)[0];
  EXPECT_EQ(west.name, "West");
  ASSERT_EQ(west.polygons.size(), 1u);
  const Ring& w = west.polygons[0][0];
  // Arc 0 then arc 1 without repeating their shared position.
  ASSERT_EQ(w.size(), 5u);
  EXPECT_DOUBLE_EQ(w[0].lon, 12);
  EXPECT_DOUBLE_EQ(w[0].lat, 20);
  EXPECT_DOUBLE_EQ(w[1].lon, 12);
  EXPECT_DOUBLE_EQ(w[1].lat, 22);
  EXPECT_DOUBLE_EQ(w[2].lon, 10);
  EXPECT_DOUBLE_EQ(w[4].lon, 12);
  EXPECT_DOUBLE_EQ(w[4].lat, 20);

  const Feature& east = (*features)[1];
  EXPECT_EQ(east.name, "East");
  ASSERT_EQ(east.polygons.size(), 1u);
  ASSERT_EQ(east.polygons[0].size(), 2u);  // outer ring and hole
  const Ring& e = east.polygons[0][0];
  // Arc 2 ends at (12, 22); ~0 walks arc 0 backwards from there to (12, 20).
  EXPECT_DOUBLE_EQ(e.back().lon, 12);
  EXPECT_DOUBLE_EQ(e.back().lat, 20);
  EXPECT_DOUBLE_EQ(e[e.size() - 2].lat, 22);
  const Ring& hole = east.polygons[0][1];
  EXPECT_DOUBLE_EQ(hole[0].lon, 12.5);
  EXPECT_DOUBLE_EQ(hole[0].lat, 20.5);
}

TEST(TopoJson, RejectsWhatIsNotAUsableTopology) {
  std::string error;
  EXPECT_FALSE(DecodeTopoJson("{\"type\": \"Topology\"", "countries", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(DecodeTopoJson(R"({"type": "FeatureCollection"})", "countries", error));
  EXPECT_FALSE(DecodeTopoJson(kTopology, "land", error));
  EXPECT_NE(error.find("land"), std::string::npos);
  const std::string bad_arc = R"({"type": "Topology", "arcs": [[[0, 0], [1, 1]]],
    "objects": {"countries": {"type": "Polygon", "arcs": [[0, 7]]}}})";
  EXPECT_FALSE(DecodeTopoJson(bad_arc, "countries", error));
  EXPECT_NE(error.find("out of range"), std::string::npos);
  EXPECT_FALSE(ReadTopoJsonFile("no/such/atlas.json", "countries", error));
}

Ring Box(double lon0, double lat0, double lon1, double lat1) {
  return {{lon0, lat0}, {lon1, lat0}, {lon1, lat1}, {lon0, lat1}, {lon0, lat0}};
}

std::map<std::pair<int, int>, int> Visits(const Polygon& polygon, const SampleGrid& grid) {
  std::map<std::pair<int, int>, int> visits;
  RasterisePolygon(polygon, grid, [&](int i, int j) { ++visits[{i, j}]; });
  return visits;
}

TEST(Raster, FillsOnceLeavesHolesAndSharesEdges) {
  // One-degree samples over lon 0..20, lat 20..0.
  const SampleGrid grid{20, 20, 0, 20, 1};
  const Polygon left = {Box(0, 0, 10, 10), Box(4, 4, 6, 6)};
  const Polygon right = {Box(10, 0, 20, 10)};
  const auto a = Visits(left, grid);
  const auto b = Visits(right, grid);
  EXPECT_EQ(a.size(), 96u);  // 100 samples less the 2x2 hole
  EXPECT_FALSE(a.contains({4, 15}));   // (4.5, 4.5) lies in the hole
  EXPECT_TRUE(a.contains({3, 15}));
  EXPECT_FALSE(a.contains({0, 9}));    // lat 10.5 is above the box
  for (const auto& [sample, count] : a) {
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(b.contains(sample)) << "both claim " << sample.first << "," << sample.second;
  }
  EXPECT_EQ(b.size(), 100u);
}

TEST(Raster, RingsAcrossTheAntimeridianAndAroundAPole) {
  const SampleGrid grid{360, 180, -180, 90, 1};
  // An island from 175 E to 175 W, written the way the atlas writes it.
  const Polygon island = {
      {{175, 10}, {180, 10}, {-175, 10}, {-175, 0}, {-180, 0}, {175, 0}, {175, 10}}};
  const auto visits = Visits(island, grid);
  EXPECT_EQ(visits.size(), 100u);
  EXPECT_TRUE(visits.contains({357, 85}));  // 177.5 E, 4.5 N
  EXPECT_TRUE(visits.contains({2, 85}));    // 177.5 W
  EXPECT_FALSE(visits.contains({180, 85}));  // nothing near Greenwich

  // A ring around the south pole at 80 S, as Antarctica's coast runs.
  Ring coast;
  for (int lon = -180; lon <= 180; lon += 30) coast.push_back({static_cast<double>(lon), -80});
  const auto cap = Visits(Polygon{coast}, grid);
  EXPECT_EQ(cap.size(), 360u * 10);
  EXPECT_TRUE(cap.contains({0, 179}));
  EXPECT_FALSE(cap.contains({0, 169}));
}

TEST(WorldMap, RussiaSplitsAlongTheUrals) {
  EXPECT_TRUE(IsEuropeanRussia(37.6, 55.8));   // Moscow
  EXPECT_TRUE(IsEuropeanRussia(20.5, 54.7));   // Kaliningrad
  EXPECT_TRUE(IsEuropeanRussia(64.0, 67.5));   // Vorkuta, west of the Polar Urals
  EXPECT_TRUE(IsEuropeanRussia(56.0, 74.0));   // Novaya Zemlya
  EXPECT_TRUE(IsEuropeanRussia(55.1, 51.9));   // Orenburg
  EXPECT_TRUE(IsEuropeanRussia(47.5, 42.9));   // Makhachkala
  EXPECT_FALSE(IsEuropeanRussia(60.6, 56.8));  // Yekaterinburg
  EXPECT_FALSE(IsEuropeanRussia(66.5, 66.6));  // Salekhard
  EXPECT_FALSE(IsEuropeanRussia(70.0, 71.0));  // Yamal
  EXPECT_FALSE(IsEuropeanRussia(59.5, 50.8));  // south of the Ural river
  EXPECT_FALSE(IsEuropeanRussia(82.9, 55.0));  // Novosibirsk
  EXPECT_FALSE(IsEuropeanRussia(-175.0, 66.0));  // Chukotka
}

TEST(WorldMap, AtlasNamesFindTheirPlaces) {
  for (const AtlasAlias& alias : AtlasAliases()) {
    EXPECT_GE(terravue::FindRegionOfCountry(alias.place), 0)
        << alias.atlas << " aliases a place that is in no region table";
  }
  const std::pair<std::string_view, std::u16string_view> kCases[] = {
      {"Myanmar", u"Burma"},
      {"Lesotho", u"Lethoso"},
      {"C\u00f4te d'Ivoire", u"Cote d'Ivoire"},
      {"United States of America", u"United States"},
      {"France", u"France"},
      {"Antarctica", u"Antarctica"},
  };
  for (const auto& [atlas, place] : kCases) {
    const auto found = PlaceOfAtlasName(atlas);
    ASSERT_TRUE(found) << atlas;
    EXPECT_EQ(*found, place) << atlas;
  }
  EXPECT_FALSE(PlaceOfAtlasName("Guam"));
  EXPECT_FALSE(PlaceOfAtlasName("france"));  // names match exactly

  const Polygon guiana = {Box(-54.6, 2.1, -51.7, 5.8)};
  const Polygon metropole = {Box(-4.8, 42.3, 8.1, 51.1)};
  EXPECT_EQ(PlaceOfOverseasPart("France", guiana), u"French Guiana");
  EXPECT_FALSE(PlaceOfOverseasPart("France", metropole));
  EXPECT_FALSE(PlaceOfOverseasPart("Brazil", guiana));
  // Crimea, a polygon of Russia's in the atlas, is Ukraine's; the rest of
  // Russia, the Taman peninsula beside it included, stays Russia's.
  const Polygon crimea = {Box(32.48, 44.38, 36.64, 46.22)};
  const Polygon european_russia = {Box(19.6, 41.2, 66, 81.9)};
  EXPECT_EQ(PlaceOfOverseasPart("Russia", crimea), u"Ukraine");
  EXPECT_FALSE(PlaceOfOverseasPart("Russia", european_russia));
  EXPECT_FALSE(PlaceOfOverseasPart("Russia", {Box(36.6, 44.9, 38.4, 45.5)}));  // Taman alone
}

// A feature covering whole map pixels x0..x1-1, y0..y1-1.
Feature PixelBox(std::string name, int x0, int y0, int x1, int y1) {
  auto lon = [](int x) { return (x - 120) * kDegreesPerPixel; };
  auto lat = [](int y) { return (60 - y) * kDegreesPerPixel; };
  return {std::move(name), {Polygon{Box(lon(x0), lat(y1), lon(x1), lat(y0))}}};
}

class SyntheticMap : public ::testing::Test {
 protected:
  static constexpr Color kGreen{0, 255, 0};
  static constexpr Color kYellow{255, 255, 0};
  static constexpr Color kBlue{0, 0, 255};
  static constexpr Color kRedKey{255, 0, 0};

  void SetUp() override {
    map_ = BuildWorldMap({
        PixelBox("Greenland", 106, 10, 114, 14),  // North America up to x = 110
        PixelBox("Samoa", 4, 70, 8, 72),          // Australia's table, at North America's x
        PixelBox("Mali", 0, 60, 3, 62),           // touches x = 0
        PixelBox("Guam", 200, 40, 202, 42),       // in no table
        PixelBox("Russia", 150, 22, 170, 24),     // lon 45 to 75 E
    });
  }
  Color At(int x, int y) const { return map_.bitmap.Load(x, y); }

  WorldMap map_;
};

TEST_F(SyntheticMap, SettlesPixelsWhoseColourWouldMislead) {
  EXPECT_EQ(At(108, 11), kGreen);
  EXPECT_EQ(At(110, 11), kGreen);
  EXPECT_EQ(At(111, 11), tv::gfx::kSilver);
  EXPECT_EQ(At(113, 13), tv::gfx::kSilver);
  EXPECT_EQ(map_.settled["Greenland"], 3 * 4);
  EXPECT_EQ(map_.settled["Samoa"], 4 * 2);
  EXPECT_EQ(At(5, 70), tv::gfx::kSilver);

  EXPECT_EQ(At(0, 60), tv::gfx::kSilver);
  EXPECT_EQ(At(1, 60), kRedKey);
  EXPECT_EQ(map_.settled["Mali"], 2);

  EXPECT_EQ(At(200, 40), tv::gfx::kSilver);
  EXPECT_EQ(map_.unassigned["Guam"], 4);
  EXPECT_EQ(map_.unassigned_features, std::vector<std::string>{"Guam"});

  EXPECT_EQ(At(152, 22), kYellow);  // west of the Urals
  EXPECT_EQ(At(168, 23), kBlue);
  EXPECT_TRUE(CheckWorldMap(map_.bitmap, map_.intended).empty());
}

TEST_F(SyntheticMap, CastsAShadowOntoTheSea) {
  EXPECT_EQ(At(114, 14), tv::gfx::kGrey);    // below right of the corner (113, 13)
  EXPECT_EQ(At(115, 15), tv::gfx::kSilver);
  EXPECT_EQ(At(116, 16), tv::gfx::kWhite);
  EXPECT_EQ(At(114, 10), tv::gfx::kWhite);   // nothing above left of it
  EXPECT_EQ(At(105, 10), tv::gfx::kWhite);   // shadows fall right, not left
  EXPECT_EQ(At(50, 50), tv::gfx::kWhite);
}

TEST_F(SyntheticMap, CheckFindsMisleadingPixels) {
  const size_t at_100 = 50 * kMapWidth + 100;
  map_.bitmap.SetIndex(100, 50, 10);  // lime, painted as if for Australia
  map_.intended[at_100] = 2;
  map_.bitmap.SetIndex(0, 60, 9);     // red at x = 0
  map_.intended[60 * kMapWidth] = 0;
  map_.bitmap.SetIndex(20, 100, 12);  // blue painted for no region
  const auto errors = CheckWorldMap(map_.bitmap, map_.intended);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_NE(errors[0].find("another region"), std::string::npos);
  EXPECT_NE(errors[1].find("x = 0"), std::string::npos);
  EXPECT_NE(errors[2].find("no region"), std::string::npos);
}

TEST(Faces, EveryFaceIs16By16InTheStandardPalette) {
  std::string error;
  ASSERT_EQ(ScreenButtonFaces().size(), 7u);
  for (const FaceArt& face : ScreenButtonFaces()) {
    const auto bitmap = FaceBitmap(face, error);
    ASSERT_TRUE(bitmap) << error;
    EXPECT_EQ(bitmap->GetSize(), (tv::gfx::Size{16, 16}));
    EXPECT_EQ(bitmap->Format(), tv::gfx::PixelFormat::kIndexed4);
    // Drawn on white: the corner is background, and the face is not blank.
    EXPECT_EQ(bitmap->Load(0, 15), tv::gfx::kWhite) << face.file;
    int ink = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) ink += bitmap->Load(x, y) != tv::gfx::kWhite;
    }
    EXPECT_GT(ink, 40) << face.file;
  }
}

TEST(Faces, RejectsMalformedArt) {
  FaceArt face = ScreenButtonFaces()[0];
  std::string error;
  face.rows[3] = "..short..";
  EXPECT_FALSE(FaceBitmap(face, error));
  EXPECT_NE(error.find("row 3"), std::string::npos);
  face = ScreenButtonFaces()[0];
  face.rows[5] = "................Z";
  EXPECT_FALSE(FaceBitmap(face, error));
  face.rows[5] = ".......Z........";
  EXPECT_FALSE(FaceBitmap(face, error));
  EXPECT_NE(error.find("'Z'"), std::string::npos);
}

TEST(Faces, ToolbarStripsHoldEveryImageInOrder) {
  std::string error;
  ASSERT_EQ(Toolbars().size(), 2u);
  const ToolbarArt& country = Toolbars()[0];
  const ToolbarArt& reference = Toolbars()[1];
  EXPECT_EQ(country.number, 421);
  EXPECT_EQ(reference.number, 431);
  const auto strip = ToolbarBitmap(country, error);
  ASSERT_TRUE(strip) << error;
  EXPECT_EQ(strip->GetSize(), (tv::gfx::Size{6 * 16, 15}));
  EXPECT_EQ(strip->Format(), tv::gfx::PixelFormat::kIndexed4);
  // Every image has ink of its own, and no two are alike.
  std::vector<std::vector<Color>> images;
  for (int i = 0; i < 6; ++i) {
    std::vector<Color> pixels;
    int ink = 0;
    for (int y = 0; y < 15; ++y) {
      for (int x = 0; x < 16; ++x) {
        pixels.push_back(strip->Load(i * 16 + x, y));
        ink += pixels.back() != tv::gfx::kWhite;
      }
    }
    EXPECT_GT(ink, 20) << country.images[i].name;
    for (const auto& earlier : images) EXPECT_NE(earlier, pixels) << country.images[i].name;
    images.push_back(std::move(pixels));
  }
  // The reference map's strip reuses Zoom Out, Zoom In and Exit.
  const auto small = ToolbarBitmap(reference, error);
  ASSERT_TRUE(small) << error;
  ASSERT_EQ(small->GetSize(), (tv::gfx::Size{3 * 16, 15}));
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(small->Load(x, y), strip->Load(16 + x, y));
      EXPECT_EQ(small->Load(16 + x, y), strip->Load(32 + x, y));
      EXPECT_EQ(small->Load(32 + x, y), strip->Load(80 + x, y));
    }
  }
}

TEST(Globe, ShowsLandAtTheCentreAndWhiteBeyondTheRim) {
  const std::vector<Feature> land = {{"Block", {Polygon{Box(-20, -20, 20, 20)}}}};
  const LandMask mask(land, 0.5);
  EXPECT_TRUE(mask.IsLand(0, 0));
  EXPECT_FALSE(mask.IsLand(90, 0));
  EXPECT_FALSE(mask.IsLand(0, 60));
  // The program's icon and every desktop size show the same globe.
  for (const int size : kDesktopIconSizes) {
    const tv::gfx::Bitmap globe = RenderGlobe(mask, 0, 0, size);
    ASSERT_EQ(globe.Width(), size);
    ASSERT_EQ(globe.Height(), size);
    const Color centre = globe.Load(size / 2, size / 2);
    EXPECT_GT(centre.g, centre.b) << size;  // green land
    const Color ocean = globe.Load(size / 2, size / 8);
    EXPECT_GT(ocean.b, ocean.g) << size;    // blue sea towards the top
    EXPECT_EQ(globe.Load(0, 0), tv::gfx::kWhite) << size;
    EXPECT_EQ(globe.Load(size - 1, size - 1), tv::gfx::kWhite) << size;
  }
}

}  // namespace
}  // namespace terravue::artbuilder
