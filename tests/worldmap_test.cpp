#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "places/places.h"
#include "platform/gfx/bitmap.h"
#include "platform/resources/resources.h"

void RegisterTerravueResources();

namespace terravue {
namespace {

using tv::gfx::Bitmap;
using tv::gfx::Color;

class WorldMapResource : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTerravueResources();
    map_ = tv::res::LoadBitmap(376);
    ASSERT_NE(map_, nullptr);
  }

  static bool IsKeyColour(Color c) {
    for (int region = 0; region < kRegionCount; ++region) {
      if (RegionTable[region].key_colour == c) return true;
    }
    return false;
  }

  std::shared_ptr<const Bitmap> map_;
};

TEST_F(WorldMapResource, Is240By120In16Colours) {
  EXPECT_EQ(map_->Width(), 240);
  EXPECT_EQ(map_->Height(), 120);
  EXPECT_EQ(map_->Format(), tv::gfx::PixelFormat::kIndexed4);
  EXPECT_EQ(map_->Palette().size(), 16u);
}

TEST_F(WorldMapResource, EveryKeyColouredPixelFindsARegion) {
  int key_pixels = 0;
  int regions_seen[kRegionCount] = {};
  for (int y = 0; y < map_->Height(); ++y) {
    for (int x = 0; x < map_->Width(); ++x) {
      const Color c = map_->Load(x, y);
      if (!IsKeyColour(c)) continue;
      ++key_pixels;
      EXPECT_NE(x, 0) << "key colour at (0, " << y << ")";
      std::u16string name;
      const int region = HitTestRegion(c, x, name);
      ASSERT_NE(region, kNoRegion) << "pixel (" << x << ", " << y << ") finds no region";
      ++regions_seen[region];
    }
  }
  EXPECT_GT(key_pixels, 3000);
  for (int region = 0; region < kRegionCount; ++region) {
    EXPECT_GT(regions_seen[region], 50) << "region " << region << " is hardly on the map";
  }
}

// A city's pixel under the map's projection: x covers (x - 120) * 1.5 degrees
// of longitude onwards, y covers (60 - y) * 1.5 degrees of latitude downwards.
// A label or a coast may cover the pixel itself, so the neighbourhood must
// find the expected region and never another.
void ExpectCityInRegion(const Bitmap& map, const char* city, double lon, double lat,
                        int expected) {
  const int cx = static_cast<int>(std::floor(lon / 1.5 + 120));
  const int cy = static_cast<int>(std::floor(60 - lat / 1.5));
  int hits = 0;
  for (int y = cy - 1; y <= cy + 1; ++y) {
    for (int x = cx - 1; x <= cx + 1; ++x) {
      std::u16string name;
      const int region = HitTestRegion(map.Load(x, y), x, name);
      if (region == kNoRegion) continue;
      EXPECT_EQ(region, expected) << city << " at (" << x << ", " << y << ")";
      ++hits;
    }
  }
  EXPECT_GE(hits, 3) << city << " around (" << cx << ", " << cy << ")";
}

TEST_F(WorldMapResource, CitiesLieInTheirRegions) {
  ExpectCityInRegion(*map_, "Paris", 2.35, 48.86, 3);
  ExpectCityInRegion(*map_, "Moscow", 37.62, 55.76, 3);
  ExpectCityInRegion(*map_, "Cairo", 31.24, 30.04, 0);
  ExpectCityInRegion(*map_, "Kinshasa", 15.27, -4.32, 0);
  ExpectCityInRegion(*map_, "Beijing", 116.40, 39.90, 1);
  ExpectCityInRegion(*map_, "Novosibirsk", 82.92, 55.03, 1);
  ExpectCityInRegion(*map_, "Sydney", 151.21, -33.87, 2);
  ExpectCityInRegion(*map_, "Alice Springs", 133.88, -23.70, 2);
  ExpectCityInRegion(*map_, "Riyadh", 46.68, 24.71, 4);
  ExpectCityInRegion(*map_, "Tehran", 51.39, 35.69, 4);
  ExpectCityInRegion(*map_, "Chicago", -87.63, 41.88, 5);
  ExpectCityInRegion(*map_, "Brasilia", -47.88, -15.79, 6);
  ExpectCityInRegion(*map_, "Buenos Aires", -58.38, -34.60, 6);
}

TEST_F(WorldMapResource, SeaIsWhiteAndTheMapIsNotAllLand) {
  // Mid-Pacific and mid-Atlantic.
  EXPECT_EQ(map_->Load(20, 60), tv::gfx::kWhite);
  EXPECT_EQ(map_->Load(100, 55), tv::gfx::kWhite);
}

TEST(ScreenResources, FacesLoadByNameWhateverTheCase) {
  RegisterTerravueResources();
  for (const char* name : {"exit", "Help", "FACTS", "info", "Map", "compare", "DayNight"}) {
    const auto face = tv::res::LoadBitmap(name);
    ASSERT_NE(face, nullptr) << name;
    EXPECT_EQ(face->GetSize(), (tv::gfx::Size{16, 16})) << name;
    EXPECT_TRUE(face->IsIndexed()) << name;
  }
  EXPECT_EQ(tv::res::LoadBitmap("nosuchface"), nullptr);
}

TEST(ScreenResources, ProgramIconLoads) {
  RegisterTerravueResources();
  const auto icon = tv::res::LoadIcon(128);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->GetSize(), (tv::gfx::Size{32, 32}));
  // A globe on white: white corners, coloured middle.
  EXPECT_EQ(icon->Load(0, 0), tv::gfx::kWhite);
  EXPECT_NE(icon->Load(16, 16), tv::gfx::kWhite);
}

}  // namespace
}  // namespace terravue
