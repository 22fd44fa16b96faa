// Checks the flag bitmaps compiled into the program against the country data
// that names them, and the two row images of the country facts list.

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/resources/resources.h"

void RegisterTerravueResources();

namespace {

std::string SourceFile(const std::string& relative) {
  const char* root = std::getenv("TERRAVUE_SOURCE_DIR");
  if (root == nullptr) return {};
  std::ifstream in(std::string(root) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class Flags : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterTerravueResources(); }

  // Place name -> value of its geography "flag" line.
  static std::map<std::string, std::string> FlagValues() {
    std::map<std::string, std::string> values;
    std::istringstream lines(SourceFile("data/QuorvelCountriesTerravue.txt"));
    std::string country;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("<country>", 0) == 0) country = line.substr(9);
      if (line.rfind("<flag>", 0) == 0) values[country] = line.substr(6);
    }
    return values;
  }

  // The names of the flag resources the resource list compiles in.
  static std::set<std::string> ListedFlagResources() {
    std::set<std::string> names;
    std::istringstream lines(SourceFile("resources/terravue.list"));
    for (std::string line; std::getline(lines, line);) {
      std::istringstream fields(line);
      std::string kind, number, name, file;
      if (!(fields >> kind >> number >> name >> file) || kind != "bitmap") continue;
      if (name.size() > 5 && name.substr(name.size() - 5) == "_FLAG") names.insert(name);
    }
    return names;
  }
};

TEST_F(Flags, EveryStemInTheDataNamesAFlagAndEveryFlagIsNamed) {
  const auto values = FlagValues();
  ASSERT_EQ(values.size(), 256u);
  const std::set<std::string> listed = ListedFlagResources();
  ASSERT_FALSE(listed.empty());
  std::set<std::string> named;
  for (const auto& [place, stem] : values) {
    if (stem == "N/A") continue;
    // Loaded the way the screen asks for it: stem + "_Flag", case aside.
    const auto flag = tv::res::LoadBitmap(stem + "_Flag");
    ASSERT_NE(flag, nullptr) << place << ": no bitmap " << stem << "_Flag";
    EXPECT_EQ(flag->Width(), 64) << place;
    EXPECT_EQ(flag->Height(), 32) << place;
    EXPECT_EQ(flag->Format(), tv::gfx::PixelFormat::kIndexed4) << place;
    named.insert(Upper(stem) + "_FLAG");
  }
  for (const std::string& name : listed) EXPECT_EQ(named.count(name), 1u) << name << " is named by no place";
  for (const std::string& name : named) EXPECT_EQ(listed.count(name), 1u) << name << " is not in the list";
}

TEST_F(Flags, PlacesWithoutAFlagOfTheirOwnOrTheirSovereignsShowNone) {
  const auto values = FlagValues();
  for (const char* place : {"World", "Antarctica", "Arctic Ocean", "Atlantic Ocean", "Pacific Ocean",
                            "Southern Ocean"}) {
    EXPECT_EQ(values.at(place), "N/A") << place;
  }
  // Dependencies flying their sovereign's flag share its bitmap.
  EXPECT_EQ(values.at("Jan Mayen"), values.at("Norway"));
  EXPECT_EQ(values.at("Wake Island"), values.at("United States"));
  EXPECT_EQ(values.at("Martinique"), values.at("France"));
  // Places with flags of their own never show another's.
  EXPECT_NE(values.at("Greenland"), values.at("Denmark"));
  EXPECT_NE(values.at("Saint Helena"), values.at("United Kingdom"));
  EXPECT_NE(values.at("Saint Helena"), "N/A");
}

TEST_F(Flags, JapanShowsOneRedDiscInTheMiddleOfWhite) {
  const auto japan = tv::res::LoadBitmap("JAPAN_FLAG");
  ASSERT_NE(japan, nullptr);
  const uint8_t red = japan->Index(32, 16);
  const tv::gfx::Color disc = japan->Palette()[red];
  EXPECT_GT(disc.r, 150);
  EXPECT_LT(disc.g, 60);
  EXPECT_LT(disc.b, 80);
  // The disc's inner part is one colour throughout, not a dithered mix.
  for (int y = 11; y <= 21; ++y) {
    for (int x = 27; x <= 37; ++x) EXPECT_EQ(japan->Index(x, y), red) << x << "," << y;
  }
  // The field around it is white, and the red stays off the edges.
  int red_pixels = 0;
  int sum_x = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (japan->Index(x, y) != red) continue;
      ++red_pixels;
      sum_x += x;
      EXPECT_TRUE(x > 8 && x < 56 && y > 1 && y < 30) << x << "," << y;
    }
  }
  const std::pair<int, int> kField[] = {{0, 0}, {63, 0}, {0, 31}, {63, 31}, {10, 16}, {53, 16}};
  for (const auto& [x, y] : kField) {
    EXPECT_EQ(japan->Load(x, y), tv::gfx::kWhite) << x << "," << y;
  }
  ASSERT_GT(red_pixels, 200);
  EXPECT_NEAR(static_cast<double>(sum_x) / red_pixels, 31.5, 1.0);
}

TEST_F(Flags, FranceShowsThreeFlatBandsOfBlueWhiteAndRed) {
  const auto france = tv::res::LoadBitmap("france_flag");
  ASSERT_NE(france, nullptr);
  // Band edges fall inside columns 21 and 42; every other column of a band
  // holds that band's single colour from top to bottom.
  const int bands[3][2] = {{0, 20}, {22, 41}, {43, 63}};
  std::set<uint8_t> indices;
  for (const auto& band : bands) {
    const uint8_t index = france->Index(band[0], 0);
    indices.insert(index);
    for (int y = 0; y < 32; ++y) {
      for (int x = band[0]; x <= band[1]; ++x) ASSERT_EQ(france->Index(x, y), index) << x << "," << y;
    }
  }
  ASSERT_EQ(indices.size(), 3u);
  const tv::gfx::Color blue = france->Load(0, 0);
  const tv::gfx::Color red = france->Load(63, 0);
  EXPECT_TRUE(blue.b > 100 && blue.r < 60 && blue.g < 60);
  EXPECT_EQ(france->Load(32, 16), tv::gfx::kWhite);
  EXPECT_TRUE(red.r > 180 && red.g < 60 && red.b < 60);
}

TEST_F(Flags, RowImagesAreABulletAndBlankOnWhite) {
  const auto bullet = tv::res::LoadBitmap(425);
  const auto blank = tv::res::LoadBitmap(426);
  ASSERT_NE(bullet, nullptr);
  ASSERT_NE(blank, nullptr);
  ASSERT_EQ(bullet->GetSize(), (tv::gfx::Size{16, 16}));
  ASSERT_EQ(blank->GetSize(), (tv::gfx::Size{16, 16}));
  int black = 0, left = 16, right = -1, top = 16, bottom = -1;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(blank->Load(x, y), tv::gfx::kWhite);
      const tv::gfx::Color c = bullet->Load(x, y);
      ASSERT_TRUE(c == tv::gfx::kWhite || c == tv::gfx::kBlack) << x << "," << y;
      if (c != tv::gfx::kBlack) continue;
      ++black;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  // About 7 pixels across, round (fewer than the 49 of a square), central.
  EXPECT_EQ(right - left + 1, 7);
  EXPECT_EQ(bottom - top + 1, 7);
  EXPECT_GT(black, 30);
  EXPECT_LT(black, 49);
  EXPECT_NE(bullet->Load(left, top), tv::gfx::kBlack);
  EXPECT_NEAR((left + right) / 2.0, 7.5, 1.0);
  EXPECT_NEAR((top + bottom) / 2.0, 7.5, 1.0);
}

}  // namespace
