#include "tools/artbuilder/regionmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/gfx/image_io.h"
#include "tests/region_map_taps.h"

namespace terravue::artbuilder {
namespace {

using tv::gfx::Color;

std::filesystem::path SourceDir() { return TERRAVUE_SOURCE_DIR; }

tv::gfx::Bitmap ReadCommitted(const RegionMapSheet& sheet) {
  const auto bitmap =
      tv::gfx::ReadBmpFile((SourceDir() / "resources" / "bitmaps" / std::string(sheet.file)).string());
  EXPECT_TRUE(bitmap) << sheet.file;
  return bitmap ? *bitmap : tv::gfx::Bitmap();
}

bool IsKeyOf(int region, Color c) {
  const terravue::RegionCountryTable& table = terravue::RegionCountries(region);
  for (int r = 0; r < table.mapped_rows; ++r) {
    if (table.rows[r].key_colour == c) return true;
  }
  return false;
}

TEST(RegionMapMath, PiecewiseLinearMapsBothWaysAndExtrapolates) {
  const PiecewiseLinear f{{0, 10, 30}, {-5, 15, 25}};
  EXPECT_DOUBLE_EQ(f.Map(0), -5);
  EXPECT_DOUBLE_EQ(f.Map(5), 5);     // slope 2 on the first piece
  EXPECT_DOUBLE_EQ(f.Map(20), 20);   // slope 0.5 on the second
  EXPECT_DOUBLE_EQ(f.Map(-2), -9);   // continued with the first slope
  EXPECT_DOUBLE_EQ(f.Map(34), 27);   // and with the last
  for (double t : {-3.0, 0.0, 4.5, 10.0, 17.25, 30.0, 41.0}) {
    EXPECT_NEAR(f.Unmap(f.Map(t)), t, 1e-9) << t;
  }
}

TEST(RegionMapMath, LensEnlargesItsPlaceAndLeavesTheRestInPlace) {
  const Lens lens{u"Somewhere", 50, 40, 4, 2.5};
  // The land within the radius grows by the zoom about the centre.
  const Vec2 edge = lens.Forward({54, 40});
  EXPECT_NEAR(edge.x, 60, 1e-9);
  EXPECT_NEAR(edge.y, 40, 1e-9);
  // Beyond the ring nothing moves, in either direction.
  const Vec2 far{50 + lens.Outer() + 0.5, 40};
  EXPECT_DOUBLE_EQ(lens.Forward(far).x, far.x);
  EXPECT_DOUBLE_EQ(lens.Inverse(far).x, far.x);
  // A bijection that keeps every ray's order: nothing is torn or folded.
  for (double angle = 0; angle < 6.3; angle += 0.7) {
    double last = 0;
    for (double r = 0.25; r < lens.Outer() + 3; r += 0.25) {
      const Vec2 p{50 + r * std::cos(angle), 40 + r * std::sin(angle)};
      const Vec2 q = lens.Forward(p);
      const double out = std::hypot(q.x - 50, q.y - 40);
      EXPECT_GT(out, last) << r;
      last = out;
      const Vec2 back = lens.Inverse(q);
      EXPECT_NEAR(back.x, p.x, 1e-9);
      EXPECT_NEAR(back.y, p.y, 1e-9);
    }
  }
}

TEST(RegionMapMath, ReadsFactbookCoordinates) {
  auto g = ParseFactbookCoordinates("46 00 N, 2 00 E");
  ASSERT_TRUE(g);
  EXPECT_DOUBLE_EQ(g->lat, 46);
  EXPECT_DOUBLE_EQ(g->lon, 2);
  g = ParseFactbookCoordinates("34 00 S, 58 30 W");
  ASSERT_TRUE(g);
  EXPECT_DOUBLE_EQ(g->lat, -34);
  EXPECT_DOUBLE_EQ(g->lon, -58.5);
  // Profiles with several parts give the first position.
  g = ParseFactbookCoordinates("metropolitan France: 46 00 N, 2 00 E; French Guiana: 4 00 N, 53 00 W");
  ASSERT_TRUE(g);
  EXPECT_DOUBLE_EQ(g->lon, 2);
  EXPECT_FALSE(ParseFactbookCoordinates("N/A"));
  EXPECT_FALSE(ParseFactbookCoordinates("95 00 N, 2 00 E"));

  const auto all = ReadFactbookCoordinates((SourceDir() / "data" / "QuorvelCountriesTerravue.txt").string());
  ASSERT_TRUE(all.contains(u"Benin"));
  EXPECT_DOUBLE_EQ(all.at(u"Benin").lat, 9.5);
  EXPECT_DOUBLE_EQ(all.at(u"Benin").lon, 2.25);
}

TEST(RegionMapTargets, CheckNamesEveryKindOfFault) {
  RegionMap map;
  map.sheet = RegionMapSheets()[0];
  CountryFigures good{u"Egypt", 100, 100};
  good.has_block = true;
  map.countries = {good, good, good};
  map.countries[1].name = u"Eritrea";
  map.countries[1].hit = 79;  // below 80 % of its land, and the total below 98 %
  map.countries[2].name = u"Djibouti";
  map.countries[2].owned = map.countries[2].hit = 29;
  map.countries[2].has_block = false;
  map.countries[2].position_on_land = true;  // on its land but missing there
  map.owned = 229;
  map.hit = 208;
  map.order_faults = {"Egypt / Djibouti: north-south order"};
  const auto faults = CheckRegionMapTargets(map);
  std::string all;
  for (const auto& f : faults) all += f + "\n";
  EXPECT_EQ(faults.size(), 6u) << all;
  EXPECT_NE(all.find("less than 98 %"), std::string::npos);
  EXPECT_NE(all.find("Eritrea hits on less than 80 %"), std::string::npos);
  EXPECT_NE(all.find("Djibouti hits on fewer than 30"), std::string::npos);
  EXPECT_NE(all.find("Djibouti has no 5x5 block"), std::string::npos);
  EXPECT_NE(all.find("Djibouti misses on its own coordinates"), std::string::npos);
  EXPECT_NE(all.find("north-south order"), std::string::npos);

  map.countries[1].hit = 80;
  map.countries[2] = good;
  map.owned = 300;
  map.hit = 280;
  map.order_faults.clear();
  EXPECT_EQ(CheckRegionMapTargets(map).size(), 1u);  // 280 of 300 is below 98 %
  map.hit = 294;
  map.countries[1].hit = 94;
  EXPECT_TRUE(CheckRegionMapTargets(map).empty());
}

// The committed bitmaps as the program loads them.
TEST(CommittedRegionMaps, SizeDepthFrameAndColours) {
  for (const RegionMapSheet& sheet : RegionMapSheets()) {
    SCOPED_TRACE(std::string(sheet.file));
    const tv::gfx::Bitmap bitmap = ReadCommitted(sheet);
    ASSERT_EQ(bitmap.GetSize(), (tv::gfx::Size{sheet.width, sheet.height}));
    std::set<uint32_t> colours;
    for (int y = 0; y < sheet.height; ++y) {
      for (int x = 0; x < sheet.width; ++x) colours.insert(bitmap.Load(x, y).ToRef());
    }
    // 4 bits a pixel where 16 colours suffice, 8 where they do not.
    EXPECT_EQ(bitmap.Format(), colours.size() <= 16 ? tv::gfx::PixelFormat::kIndexed4
                                                    : tv::gfx::PixelFormat::kIndexed8);
    EXPECT_TRUE(colours.contains(tv::gfx::kWhite.ToRef()));
    for (int x = 0; x < sheet.width; ++x) {
      EXPECT_EQ(bitmap.Load(x, 0), tv::gfx::kBlack);
      EXPECT_EQ(bitmap.Load(x, sheet.height - 1), tv::gfx::kBlack);
    }
    for (int y = 0; y < sheet.height; ++y) {
      EXPECT_EQ(bitmap.Load(0, y), tv::gfx::kBlack);
      EXPECT_EQ(bitmap.Load(sheet.width - 1, y), tv::gfx::kBlack);
    }
    // Every key-coloured pixel hits a place; any other colour hits none, so
    // a tap on the sea, a border or land of no mapped place gives nothing.
    int misleading = 0;
    for (int y = 0; y < sheet.height; ++y) {
      for (int x = 0; x < sheet.width; ++x) {
        const Color c = bitmap.Load(x, y);
        const int row = terravue::HitTestRegionMap(sheet.region, c, {x, y});
        if (IsKeyOf(sheet.region, c) != (row >= 0)) ++misleading;
        // A 16-bit display gives the same answer once normalised.
        const Color read_back{static_cast<uint8_t>(c.r & 0xF8), static_cast<uint8_t>(c.g & 0xFC),
                              static_cast<uint8_t>(c.b & 0xF8)};
        if (terravue::HitTestRegionMap(sheet.region, terravue::NormalizePixelColor(read_back),
                                       {x, y}) != row) {
          ++misleading;
        }
      }
    }
    EXPECT_EQ(misleading, 0);
  }
}

TEST(CommittedRegionMaps, EveryMappedPlaceHasATapBlockAndTheTableHoldsOne) {
  std::set<std::pair<int, int>> listed;
  for (const terravue::RegionMapTap& tap : terravue::kRegionMapTaps) {
    const RegionMapSheet& sheet = RegionMapSheets()[tap.region];
    ASSERT_EQ(sheet.region, tap.region);
    const terravue::RegionCountryTable& table = terravue::RegionCountries(tap.region);
    ASSERT_LT(tap.row, table.mapped_rows);
    EXPECT_EQ(table.rows[tap.row].name, std::u16string_view(tap.name));
    EXPECT_TRUE(listed.insert({tap.region, tap.row}).second) << "listed twice: " << tap.row;
    const tv::gfx::Bitmap bitmap = ReadCommitted(sheet);
    EXPECT_TRUE(BlockHits(bitmap, tap.region, tap.row, {tap.x, tap.y}))
        << tv::Utf16ToUtf8(tap.name) << " at " << tap.x << "," << tap.y;
  }
  for (const RegionMapSheet& sheet : RegionMapSheets()) {
    const tv::gfx::Bitmap bitmap = ReadCommitted(sheet);
    const terravue::RegionCountryTable& table = terravue::RegionCountries(sheet.region);
    for (int r = 0; r < table.mapped_rows; ++r) {
      EXPECT_TRUE(listed.contains({sheet.region, r})) << tv::Utf16ToUtf8(table.rows[r].name);
      EXPECT_TRUE(FindTapBlock(bitmap, sheet.region, r, {sheet.width / 2.0, sheet.height / 2.0}))
          << tv::Utf16ToUtf8(table.rows[r].name);
    }
  }
}

TEST(CommittedRegionMaps, GreyOnAfricaIsEgyptDownToRow60AndEritreaBelow) {
  for (int x : {1, 120, 239}) {
    EXPECT_EQ(terravue::HitTestRegionMap(0, tv::gfx::kGrey, {x, 55}), 0);
    EXPECT_EQ(terravue::HitTestRegionMap(0, tv::gfx::kGrey, {x, 60}), 0);
    EXPECT_EQ(terravue::HitTestRegionMap(0, tv::gfx::kGrey, {x, 61}), 1);
  }
  // On the real map Egypt's grey ends above row 60 and Eritrea's begins
  // below it; both hit from the rows they are drawn in.
  const tv::gfx::Bitmap africa = ReadCommitted(RegionMapSheets()[0]);
  int egypt = 0, eritrea = 0;
  for (int y = 1; y <= 85; ++y) {
    for (int x = 1; x < africa.Width() - 1; ++x) {
      if (africa.Load(x, y) != tv::gfx::kGrey) continue;
      const int row = terravue::HitTestRegionMap(0, tv::gfx::kGrey, {x, y});
      EXPECT_EQ(row, y <= 60 ? 0 : 1) << x << "," << y;
      egypt += row == 0;
      eritrea += row == 1;
    }
  }
  EXPECT_GE(egypt, 30);
  EXPECT_GE(eritrea, 30);
}

// Rebuilds the maps from the atlas: they must meet their targets and come
// out exactly as committed.
TEST(RegionMapBuild, RebuiltMapsMeetTheTargetsAndMatchTheCommittedFiles) {
  const std::filesystem::path atlas =
      SourceDir() / "tools" / "node_modules" / "world-atlas" / "countries-50m.json";
  if (!std::filesystem::exists(atlas)) GTEST_SKIP() << "run npm ci in tools/ to rebuild the maps";
  std::string error;
  const auto countries = ReadTopoJsonFile(atlas.string(), "countries", error);
  ASSERT_TRUE(countries) << error;
  const auto positions =
      ReadFactbookCoordinates((SourceDir() / "data" / "QuorvelCountriesTerravue.txt").string());
  for (const RegionMapSheet& sheet : RegionMapSheets()) {
    SCOPED_TRACE(std::string(sheet.file));
    const RegionMap map = BuildRegionMap(sheet, *countries, positions);
    for (const std::string& fault : CheckRegionMapTargets(map)) ADD_FAILURE() << fault;
    const tv::gfx::Bitmap committed = ReadCommitted(sheet);
    ASSERT_EQ(committed.GetSize(), map.bitmap.GetSize());
    int differ = 0;
    for (int y = 0; y < sheet.height; ++y) {
      for (int x = 0; x < sheet.width; ++x) differ += committed.Load(x, y) != map.bitmap.Load(x, y);
    }
    EXPECT_EQ(differ, 0);
  }
}

}  // namespace
}  // namespace terravue::artbuilder
