#include "places/places.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace terravue {
namespace {

// Collects what the fill functions add, in the order they add it.
class Collector : public tv::ui::ListSink {
 public:
  int AddString(std::u16string_view text) override {
    items.emplace_back(text);
    return static_cast<int>(items.size()) - 1;
  }
  std::vector<std::u16string> items;
};

constexpr Color kGreen{0, 255, 0};
constexpr Color kYellow{255, 255, 0};

TEST(PlacesTest, RegionSizesAndTotals) {
  const int expected_rows[] = {63, 33, 16, 52, 25, 41, 21};
  const int expected_mapped[] = {47, 19, 3, 34, 21, 11, 13};
  int total = 0;
  for (int region = 0; region < kRegionCount; ++region) {
    const RegionCountryTable& table = RegionCountries(region);
    EXPECT_EQ(static_cast<int>(table.rows.size()), expected_rows[region]) << region;
    EXPECT_EQ(table.mapped_rows, expected_mapped[region]) << region;
    Collector list;
    FillRegionCountries(region, list);
    EXPECT_EQ(static_cast<int>(list.items.size()), expected_rows[region]);
    total += expected_rows[region];
    // Mapped rows carry a colour; colour-only tables have no axis.
    for (int i = 0; i < table.mapped_rows; ++i) {
      const MapHitRow& row = table.rows[i];
      EXPECT_EQ(row.axis == 0, table.colour_only) << row.range_low;
      if (!table.colour_only) EXPECT_LT(row.range_low, row.range_high);
    }
  }
  EXPECT_EQ(total + static_cast<int>(OtherPlacesTable.size()), kAllPlacesCount);
  EXPECT_EQ(RegionTable.size(), 8u);
}

TEST(PlacesTest, AllPlacesInTableOrderWithRussiaTwice) {
  Collector all;
  AddAllPlaces(all);
  ASSERT_EQ(all.items.size(), 256u);
  EXPECT_EQ(all.items.front(), u"Egypt");
  EXPECT_EQ(all.items[63], u"Nepal");  // Asia follows Africa's 63 rows
  EXPECT_EQ(all.items.back(), u"Southern Ocean");
  EXPECT_EQ(std::count(all.items.begin(), all.items.end(), u"Russia"), 2);
  // Every other name is unique, and the spellings the stores key on are kept.
  std::set<std::u16string> unique(all.items.begin(), all.items.end());
  EXPECT_EQ(unique.size(), 255u);
  EXPECT_TRUE(unique.count(u"Lethoso"));
  EXPECT_TRUE(unique.count(u"Cocos (keeling) Islands"));

  Collector world;
  FillRegionCountries(kWorldCountries, world);
  EXPECT_EQ(world.items, all.items);
  for (int region : {-1, 8, 100}) {
    Collector none;
    FillRegionCountries(region, none);
    EXPECT_TRUE(none.items.empty()) << region;
  }
}

TEST(PlacesTest, FindRegionOfCountryIsExactAndFirstMatchWins) {
  EXPECT_EQ(FindRegionOfCountry(u"Russia"), 1);
  EXPECT_EQ(FindRegionOfCountry(u"Egypt"), 0);
  EXPECT_EQ(FindRegionOfCountry(u"South Georgia and the South Sandwich Islands"), 6);
  EXPECT_EQ(FindRegionOfCountry(u"West Bank"), 4);
  EXPECT_EQ(FindRegionOfCountry(u"Antarctica"), -1);
  EXPECT_EQ(FindRegionOfCountry(u"russia"), -1);
  EXPECT_EQ(FindRegionOfCountry(u"Russia "), -1);
  EXPECT_EQ(FindRegionOfCountry(u""), -1);
}

TEST(PlacesTest, HitTestRegionAtRangeBounds) {
  std::u16string name = u"unchanged";
  EXPECT_EQ(HitTestRegion(kGreen, 110, name), 5);
  EXPECT_EQ(name, u"North America");
  EXPECT_EQ(HitTestRegion(kGreen, 111, name), 4);
  EXPECT_EQ(HitTestRegion(kGreen, 180, name), 4);
  EXPECT_EQ(HitTestRegion(kGreen, 181, name), 2);
  EXPECT_EQ(name, u"Australia");
  EXPECT_EQ(HitTestRegion(kYellow, 90, name), 6);
  EXPECT_EQ(HitTestRegion(kYellow, 91, name), 3);
  EXPECT_EQ(HitTestRegion({255, 0, 0}, 240, name), 0);
  EXPECT_EQ(HitTestRegion({0, 0, 255}, 1, name), 1);

  name = u"unchanged";
  for (Color colour : {Color{255, 0, 0}, Color{0, 0, 255}, kGreen, kYellow}) {
    EXPECT_EQ(HitTestRegion(colour, 0, name), kNoRegion);
    EXPECT_EQ(HitTestRegion(colour, 241, name), kNoRegion);
  }
  for (int x : {1, 60, 120, 200, 240}) {
    EXPECT_EQ(HitTestRegion({0, 0, 0}, x, name), kNoRegion);
    EXPECT_EQ(HitTestRegion({255, 255, 255}, x, name), kNoRegion);
    // A colour read back from a 16-bit display matches only once normalised.
    EXPECT_EQ(HitTestRegion({248, 0, 0}, x, name), kNoRegion);
  }
  EXPECT_EQ(name, u"unchanged");
}

TEST(PlacesTest, RegionMapHitTest) {
  constexpr Color kGrey{128, 128, 128};
  constexpr Color kPurple{128, 0, 128};
  constexpr Color kDarkRed{128, 0, 0};
  const auto name = [](int region, int row) {
    return row < 0 ? std::u16string(u"(none)")
                   : std::u16string(RegionCountries(region).rows[row].name);
  };
  EXPECT_EQ(name(0, HitTestRegionMap(0, kGrey, {5, 60})), u"Egypt");
  EXPECT_EQ(name(0, HitTestRegionMap(0, kGrey, {5, 61})), u"Eritrea");
  EXPECT_EQ(name(0, HitTestRegionMap(0, kGrey, {5, 0})), u"(none)");
  EXPECT_EQ(name(0, HitTestRegionMap(0, kGrey, {5, 241})), u"(none)");
  for (int y : {0, 100, 239, 500}) {
    EXPECT_EQ(name(0, HitTestRegionMap(0, kPurple, {40, y})), u"Guinea");
  }
  EXPECT_EQ(name(0, HitTestRegionMap(0, kPurple, {41, 10})), u"Burkina Faso");
  EXPECT_EQ(name(3, HitTestRegionMap(3, kDarkRed, {96, 10})), u"Russia");
  EXPECT_EQ(name(3, HitTestRegionMap(3, kDarkRed, {95, 10})), u"Austria");
  // Colour-only maps ignore the position.
  EXPECT_EQ(name(2, HitTestRegionMap(2, {255, 0, 0}, {0, 0})), u"Australia");
  EXPECT_EQ(name(6, HitTestRegionMap(6, {255, 0, 0}, {-5, 900})), u"Venezuela");
  // Unmapped rows never take part, even though their colour is black.
  EXPECT_EQ(HitTestRegionMap(0, {0, 0, 0}, {10, 10}), -1);
  EXPECT_EQ(HitTestRegionMap(7, kGrey, {10, 10}), -1);
}

TEST(PlacesTest, NormalizePixelColor) {
  EXPECT_EQ(NormalizePixelColor({248, 0, 0}), (Color{255, 0, 0}));
  EXPECT_EQ(NormalizePixelColor({0, 252, 0}), (Color{0, 255, 0}));
  EXPECT_EQ(NormalizePixelColor({248, 252, 0}), (Color{255, 255, 0}));
  EXPECT_EQ(NormalizePixelColor({248, 0, 248}), (Color{255, 0, 255}));
  EXPECT_EQ(NormalizePixelColor({0, 252, 248}), (Color{0, 255, 255}));
  EXPECT_EQ(NormalizePixelColor({0, 0, 248}), (Color{0, 0, 255}));
  // White and half intensities pass unchanged.
  EXPECT_EQ(NormalizePixelColor({248, 252, 248}), (Color{248, 252, 248}));
  EXPECT_EQ(NormalizePixelColor({128, 128, 128}), (Color{128, 128, 128}));
  EXPECT_EQ(NormalizePixelColor({255, 0, 0}), (Color{255, 0, 0}));
}

}  // namespace
}  // namespace terravue
