#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "maps/continent_map_screen.h"
#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/resources/resources.h"
#include "platform/ui/automation.h"
#include "platform/ui/controls.h"
#include "tests/program_run.h"
#include "tests/region_map_taps.h"

namespace terravue {
namespace {

using testing::MessageText;
using testing::ProgramRun;
using testing::RecordingNavigator;
using testing::Tap;
using testing::Top;
using testing::TopKind;
using tv::gfx::Color;
using tv::gfx::PixelFormat;
using tv::gfx::Point;

constexpr std::u16string_view kMissed = u"Didn't get your selection! please try again";

int RunContinentMap(ProgramRun& run, Navigator& navigator, int region,
                    PixelFormat format = PixelFormat::kRgb565) {
  return run.RunWith(
      [&navigator, region] {
        ScopedNavigator installed(navigator);
        ContinentMapScreen screen;
        screen.region = region;
        screen.RunModal();
      },
      format);
}

ContinentMapScreen& Screen() {
  auto* screen = dynamic_cast<ContinentMapScreen*>(Top());
  EXPECT_NE(screen, nullptr) << "top window is " << TopKind();
  return *screen;
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}

// Taps `p` and checks the message box that follows, then dismisses it.
void TapExpectingMessage(ProgramRun& run, Point p) {
  run.Step([p] { Tap(p.x, p.y); });
  run.Step([p] {
    EXPECT_EQ(MessageText(), kMissed) << "tap at " << p.x << "," << p.y;
    if (TopKind() == "messagebox") Press("ok");
  });
}

// The points of region `region`'s map (within its shown part) whose bitmap
// colour is `colour` and that satisfy `keep`.
template <class Keep>
std::vector<Point> PixelsOf(int region, Color colour, Keep keep) {
  std::vector<Point> found;
  const RegionMap& map = RegionMapOf(region);
  auto bitmap = tv::res::LoadBitmap(map.bitmap);
  if (!bitmap) return found;
  for (int y = 1; y < map.height - 1; ++y) {
    for (int x = 1; x < map.width - 1; ++x) {
      if (bitmap->Load(x, y) == colour && keep(Point{x, y})) found.push_back({x, y});
    }
  }
  return found;
}

TEST(ContinentMapTest, OpensWithItsMapListAndButtons) {
  RegisterTerravueResources();
  for (int region = 0; region < kRegionCount; ++region) {
    ProgramRun run;
    run.Step([region] {
      ContinentMapScreen& screen = Screen();
      EXPECT_EQ(screen.TemplateNumber(), 383);
      EXPECT_EQ(screen.Text(), u"Continent Map");

      // Every place of the region, mapped or not, sorted, the first chosen.
      const auto& combo = screen.Control<tv::ui::ComboBox>(kContinentCountryCombo);
      const RegionCountryTable& table = RegionCountries(region);
      std::vector<std::u16string> items = combo.Items();
      ASSERT_EQ(items.size(), table.rows.size()) << region;
      EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return tv::CompareNoCase(a, b) < 0;
      }));
      for (const MapHitRow& row : table.rows) {
        EXPECT_NE(std::find(items.begin(), items.end(), row.name), items.end());
      }
      EXPECT_EQ(combo.GetCurSel(), 0);
      EXPECT_EQ(combo.Text(), items.front());

      for (int id : {kContinentDayNightButton, kContinentFactsButton, kContinentCompareButton,
                     kContinentHelpButton, kContinentExitButton}) {
        const auto& button = screen.Control<tv::ui::BitmapButton>(id);
        EXPECT_NE(button.Face(), nullptr) << id;
        EXPECT_EQ(button.Frame().Width(), 16) << id;
        EXPECT_EQ(button.Frame().Height(), 16) << id;
      }

      // The map is framed in black at its own size, shows its bitmap from
      // the window's top-left corner, and white lies beyond it.
      const RegionMap& map = RegionMapOf(region);
      auto canvas = screen.GetScreenCanvas();
      const int w = map.width;
      const int h = map.height;
      for (Point p : {Point{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h - 1}}) {
        EXPECT_EQ(canvas.GetPixel(p), Color{}) << region << ": " << p.x << "," << p.y;
      }
      EXPECT_EQ(canvas.GetPixel({w / 2, h}), (Color{248, 252, 248})) << region;
      if (w < 240) {
        EXPECT_EQ(canvas.GetPixel({w, h / 2}), (Color{248, 252, 248})) << region;
      }
      auto bitmap = tv::res::LoadBitmap(map.bitmap);
      ASSERT_TRUE(bitmap);
      const auto& display = tv::ui::Desktop::Get().Display();
      for (Point p : {Point{1, 1}, {w / 3, h / 2}, {w / 2, h / 3}, {w - 2, h - 2}}) {
        EXPECT_EQ(canvas.GetPixel(p), display.Quantize(bitmap->Load(p.x, p.y)))
            << region << ": " << p.x << "," << p.y;
      }
    });
    RecordingNavigator navigator;
    EXPECT_EQ(RunContinentMap(run, navigator, region), 0);
    EXPECT_TRUE(navigator.requests.empty());
  }
}

TEST(ContinentMapTest, AustraliaListsAllSixteenPlaces) {
  ProgramRun run;
  run.Step([] {
    const auto& combo = Screen().Control<tv::ui::ComboBox>(kContinentCountryCombo);
    const std::vector<std::u16string> expected = {
        u"Australia",        u"Cook Islands",
        u"Coral Sea Islands", u"Fiji",
        u"Kiribati",         u"Marshall Islands",
        u"Micronesia, Federated States of", u"Nauru",
        u"New Zealand",      u"Palau",
        u"Papua New Guinea", u"Samoa",
        u"Solomon Islands",  u"Tonga",
        u"Tuvalu",           u"Vanuatu"};
    EXPECT_EQ(combo.Items(), expected);
    EXPECT_EQ(combo.Text(), u"Australia");
  });
  RecordingNavigator navigator;
  EXPECT_EQ(RunContinentMap(run, navigator, 2), 0);
}

// Every mapped place of every map can be tapped: each pixel of the 5x5 block
// the map builder found for it opens that place's country map, on a 16-bit
// and on a 24-bit display.
TEST(ContinentMapTest, EveryMappedPlaceOpensItsCountryMap) {
  RegisterTerravueResources();
  for (PixelFormat format : {PixelFormat::kRgb565, PixelFormat::kRgb888}) {
    for (int region = 0; region < kRegionCount; ++region) {
      ProgramRun run;
      std::vector<std::string> expected;
      int places = 0;
      for (const RegionMapTap& tap : kRegionMapTaps) {
        if (tap.region != region) continue;
        ++places;
        for (int dy = -2; dy <= 2; ++dy) {
          for (int dx = -2; dx <= 2; ++dx) {
            run.Step([x = tap.x + dx, y = tap.y + dy] { Tap(x, y); });
            expected.push_back("country-map " + tv::Utf16ToUtf8(tap.name));
          }
        }
      }
      EXPECT_EQ(places, RegionCountries(region).mapped_rows) << region;
      run.Step([] { EXPECT_EQ(TopKind(), "dialog"); });
      RecordingNavigator navigator;
      EXPECT_EQ(RunContinentMap(run, navigator, region, format), 0);
      EXPECT_EQ(navigator.requests, expected) << "region " << region;
    }
  }
}

// The grey of the Africa map belongs to Egypt down to y = 60 and to Eritrea
// from y = 61, wherever x is.
TEST(ContinentMapTest, AfricaGreyChangesPlaceBetweenRows60And61) {
  constexpr Color kGreyKey{128, 128, 128};
  for (int x : {1, 100, 239}) {
    EXPECT_EQ(HitTestRegionMap(0, kGreyKey, {x, 55}), 0) << x;
    EXPECT_EQ(HitTestRegionMap(0, kGreyKey, {x, 60}), 0) << x;
    EXPECT_EQ(HitTestRegionMap(0, kGreyKey, {x, 61}), 1) << x;
  }
  // The same through taps at grey pixels of the real map: rows 55 and 60 (the
  // Red Sea coast of Egypt) and the first grey row below 60, which the map
  // gives to Eritrea (it has no grey in row 61 itself).
  RegisterTerravueResources();
  const auto below = PixelsOf(0, kGreyKey, [](Point p) { return p.y > 60; });
  ASSERT_FALSE(below.empty());
  const int eritrea_row = std::min_element(below.begin(), below.end(), [](Point a, Point b) {
                            return a.y < b.y;
                          })->y;
  ASSERT_LE(eritrea_row, 85) << "the first grey below row 60 is no longer Eritrea's";
  ProgramRun run;
  std::vector<std::string> expected;
  for (int y : {55, 60, eritrea_row}) {
    const auto pixels = PixelsOf(0, kGreyKey, [y](Point p) { return p.y == y; });
    ASSERT_FALSE(pixels.empty()) << "no grey pixel in row " << y << " of the Africa map";
    for (Point p : {pixels.front(), pixels.back()}) {
      run.Step([p] { Tap(p.x, p.y); });
      expected.push_back(y <= 60 ? "country-map Egypt" : "country-map Eritrea");
    }
  }
  RecordingNavigator navigator;
  EXPECT_EQ(RunContinentMap(run, navigator, 0), 0);
  EXPECT_EQ(navigator.requests, expected);
}

TEST(ContinentMapTest, TapsOffTheMappedPlacesGiveTheMessage) {
  RegisterTerravueResources();
  ProgramRun run;
  // The frame, the sea, and the white below the map (y = 240 lies beyond the
  // frame but not beyond the map's height, so it is tested, not ignored).
  for (Point p : {Point{0, 0}, {0, 120}, {120, 239}, {239, 100}, {120, 240}, {230, 240}}) {
    TapExpectingMessage(run, p);
  }
  const auto sea = PixelsOf(0, tv::gfx::kWhite, [](Point) { return true; });
  ASSERT_FALSE(sea.empty());
  TapExpectingMessage(run, sea.front());
  // Land of an unmapped place: a colour that is no key of the Africa table.
  const auto& rows = RegionCountries(0).rows;
  const RegionMap& map = RegionMapOf(0);
  auto bitmap = tv::res::LoadBitmap(map.bitmap);
  ASSERT_TRUE(bitmap);
  std::optional<Point> neutral;
  for (int y = 1; y < map.height - 1 && !neutral; ++y) {
    for (int x = 1; x < map.width - 1 && !neutral; ++x) {
      const Color c = bitmap->Load(x, y);
      if (c == tv::gfx::kWhite || c == tv::gfx::kBlack) continue;
      const bool key = std::any_of(rows.begin(), rows.end(),
                                   [c](const MapHitRow& row) { return row.key_colour == c; });
      if (!key) neutral = Point{x, y};
    }
  }
  ASSERT_TRUE(neutral) << "no land of an unmapped place on the Africa map";
  TapExpectingMessage(run, *neutral);
  // Beyond the map's width or height nothing happens at all. (The combo box
  // covers x < 95 from y = 239 down, so (10, 241) would open its list; the
  // screen itself sees taps below the map only to the right of it.)
  for (Point p : {Point{241, 10}, {100, 241}, {239, 241}, {120, 267}}) {
    run.Step([p] { Tap(p.x, p.y); });
    run.Step([p] {
      EXPECT_EQ(TopKind(), "dialog") << "tap at " << p.x << "," << p.y;
      EXPECT_EQ(Top(), static_cast<tv::ui::Window*>(&Screen()));
    });
  }
  RecordingNavigator navigator;
  EXPECT_EQ(RunContinentMap(run, navigator, 0), 0);
  EXPECT_TRUE(navigator.requests.empty()) << navigator.requests.front();
}

// Beside South America's narrow map, x = 154 is still tested (and missed);
// from x = 155 on, taps are ignored.
TEST(ContinentMapTest, WhiteBesideANarrowMapGivesTheMessage) {
  ProgramRun run;
  for (Point p : {Point{154, 120}, {154, 5}}) TapExpectingMessage(run, p);
  for (Point p : {Point{155, 120}, {230, 10}}) {
    run.Step([p] { Tap(p.x, p.y); });
    run.Step([] { EXPECT_EQ(TopKind(), "dialog"); });
  }
  RecordingNavigator navigator;
  EXPECT_EQ(RunContinentMap(run, navigator, 6), 0);
  EXPECT_TRUE(navigator.requests.empty());
}

// North America's table keys by colour alone: every red pixel, wherever it
// lies, is the United States; on a 16-bit display it reads back as 248, 0, 0.
TEST(ContinentMapTest, RedIsAlwaysTheUnitedStatesAlsoReadBackIn16Bits) {
  RegisterTerravueResources();
  const auto red = PixelsOf(5, Color{255, 0, 0}, [](Point) { return true; });
  ASSERT_GT(red.size(), 100u);
  for (Point p : red) ASSERT_EQ(HitTestRegionMap(5, Color{255, 0, 0}, p), 3);
  ProgramRun run;
  std::vector<Point> taps = {red.front(), red[red.size() / 3], red[2 * red.size() / 3],
                             red.back()};
  std::vector<std::string> expected;
  for (Point p : taps) {
    run.Step([p] {
      EXPECT_EQ(Screen().GetScreenCanvas().GetPixel(p), (Color{248, 0, 0}));
      Tap(p.x, p.y);
    });
    expected.push_back("country-map United States");
  }
  RecordingNavigator navigator;
  EXPECT_EQ(RunContinentMap(run, navigator, 5, PixelFormat::kRgb565), 0);
  EXPECT_EQ(navigator.requests, expected);
}

TEST(ContinentMapTest, ListChoiceAndButtonsAskForTheirScreens) {
  ProgramRun run;
  run.Step([] {
    std::string error;
    ASSERT_TRUE(tv::ui::automation::Choose(kContinentCountryCombo, u"Malta", error)) << error;
  });
  for (int id : {kContinentDayNightButton, kContinentFactsButton, kContinentCompareButton,
                 kContinentHelpButton}) {
    run.Step([id] { Press(std::to_string(id)); });
  }
  run.Step([] { Press(std::to_string(kContinentExitButton)); });
  run.Step([] { ADD_FAILURE() << "the screen should have closed"; });
  run.ExpectEarlyEnd();
  RecordingNavigator navigator;
  EXPECT_EQ(RunContinentMap(run, navigator, 3), 0);
  EXPECT_EQ(run.StepsLeft(), 1);
  const std::vector<std::string> expected = {"country-map Malta", "day-night", "world-facts",
                                             "compare",
                                             "help " + tv::Utf16ToUtf8(ContinentMapHelpText())};
  EXPECT_EQ(navigator.requests, expected);
  const std::u16string help = ContinentMapHelpText();
  EXPECT_TRUE(help.starts_with(u"This screen helps you select a country\r\n"));
  EXPECT_TRUE(help.ends_with(u"countries are shown on the map \r\nfor space limitations"));
  EXPECT_EQ(std::count(help.begin(), help.end(), u'\n'), 7);
}

}  // namespace
}  // namespace terravue

namespace terravue {
namespace {

// In the whole program: a tap on Africa on the world map opens its Continent
// Map, a tap on Egypt there opens something above it (the Country Map, or a
// message when it cannot show one), and a script's "open reference-map 4"
// opens the Reference Map on the Middle East; each closes back to the screen
// beneath.
TEST(ContinentMapTest, WiredThroughTheProgram) {
  RegisterTerravueResources();
  auto world = tv::res::LoadBitmap(376);
  ASSERT_TRUE(world);
  std::optional<Point> africa;
  for (int y = 2; y < 118 && !africa; ++y) {
    for (int x = 2; x < 238 && !africa; ++x) {
      bool solid = true;
      for (int dy = -1; dy <= 1 && solid; ++dy) {
        for (int dx = -1; dx <= 1 && solid; ++dx) {
          solid = world->Load(x + dx, y + dy) == RegionTable[0].key_colour;
        }
      }
      if (solid) africa = Point{x, y};
    }
  }
  ASSERT_TRUE(africa);
  Point egypt;
  for (const RegionMapTap& tap : kRegionMapTaps) {
    if (tap.region == 0 && tap.row == 0) egypt = {tap.x, tap.y};
  }

  ProgramRun run;
  run.Step([africa] { Tap(africa->x, africa->y); });
  run.Step([egypt] {
    ASSERT_EQ(testing::TopTemplate(), 383);
    EXPECT_EQ(Screen().region, 0);
    Tap(egypt.x, egypt.y);
  });
  run.Step([] {
    EXPECT_NE(testing::TopTemplate(), 383) << "nothing opened above the Continent Map";
    if (TopKind() == "messagebox") {
      EXPECT_NE(MessageText(), kMissed);
      Press("ok");
    } else {
      testing::PressKey(tv::ui::Key::kEscape);
    }
  });
  run.Step([] {
    ASSERT_EQ(testing::TopTemplate(), 383);
    std::string error;
    EXPECT_TRUE(OpenScreenByName(GetNavigator(), "reference-map", u"4", error)) << error;
  });
  run.Step([] {
    EXPECT_EQ(testing::TopTemplate(), 430);
    testing::PressKey(tv::ui::Key::kEscape);
  });
  run.Step([] {
    EXPECT_EQ(testing::TopTemplate(), 383);
    Press(std::to_string(kContinentExitButton));
  });
  run.Step([] { EXPECT_EQ(testing::TopTemplate(), 102); });
  EXPECT_EQ(run.Run(), 0);
}

}  // namespace
}  // namespace terravue
