#include "maps/country_map_screen.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "db/country_store.h"
#include "platform/base/utf.h"
#include "platform/store/record_database.h"
#include "platform/ui/automation.h"
#include "platform/ui/command_bar.h"
#include "tests/gif_writer.h"
#include "tests/program_run.h"

namespace terravue {
namespace {

using testing::GifColor;
using testing::GifSpec;
using testing::MessageText;
using testing::ProgramRun;
using testing::RecordingNavigator;
using testing::Tap;
using testing::Top;
using testing::TopKind;
using tv::gfx::Color;
using tv::gfx::Point;
using tv::ui::ScrollOrientation;

constexpr int kMapWidth = 300;
constexpr int kMapHeight = 200;

// The colour index of map pixel (x, y): neighbours differ along both axes,
// so a view off by one pixel shows.
int PatternIndex(int x, int y) { return (x * 7 + y * 3) % 16; }

Color OnDisplay(Color c) { return tv::gfx::Bitmap(1, 1, tv::gfx::PixelFormat::kRgb565).Quantize(c); }
Color MapColor(int x, int y) { return OnDisplay(Color::FromRef(GifColor(PatternIndex(x, y)))); }

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void WritePatternGif(const std::filesystem::path& path) {
  GifSpec spec;
  spec.screen_width = spec.width = kMapWidth;
  spec.screen_height = spec.height = kMapHeight;
  spec.global_colors = 16;
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) spec.pixels.push_back(static_cast<uint8_t>(PatternIndex(x, y)));
  }
  const std::vector<uint8_t> bytes = testing::WriteGif(spec);
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// A device with country records and a maps folder of its own.
class MapScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    maps_ = run_.DeviceRoot() / "maps";
    std::filesystem::create_directories(maps_);
  }

  void AddPlace(std::u16string_view name, std::u16string_view scale, std::u16string_view map) {
    std::optional<tv::store::RecordDatabase> store = CountryRecordStore::OpenOrCreateCountryStore();
    ASSERT_TRUE(store);
    if (!scale.empty()) {
      ASSERT_TRUE(CountryRecordStore::AppendCountryField(*store, name, u"geography", u"scale", scale));
    }
    if (!map.empty()) {
      ASSERT_TRUE(CountryRecordStore::AppendCountryField(*store, name, u"geography", u"map", map));
    }
  }

  // Runs the map screen for `country` alone, its requests to open screens
  // going to the recording navigator.
  // Returns the screen's result.
  int RunMap(std::u16string_view country) {
    int result = -1;
    run_.RunWith([this, country, &result] {
      ScopedNavigator installed(navigator_);
      CountryMapScreen screen;
      screen.country = country;
      screen.maps_folder = maps_;
      result = screen.RunModal();
    });
    return result;
  }

  ProgramRun run_;
  RecordingNavigator navigator_;
  std::filesystem::path maps_;
};

CountryMapScreen& Map() {
  auto* screen = dynamic_cast<CountryMapScreen*>(Top());
  EXPECT_NE(screen, nullptr) << "top window is " << TopKind();
  return *screen;
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}
void Press(int command) { Press(std::to_string(command)); }

std::optional<Color> WindowPixel(Point p) { return Map().GetScreenCanvas().GetPixel(p); }

// Whether the window shows map pixel (mx, my) at window point p.
void ExpectShows(Point p, int mx, int my) {
  EXPECT_EQ(WindowPixel(p), MapColor(mx, my)) << "window (" << p.x << ", " << p.y << ")";
}

bool HasScreenText(std::u16string_view text, Point at) {
  for (const tv::gfx::TextRecord& record : Map().ScreenTexts()) {
    if (record.text == text && record.position == at) return true;
  }
  return false;
}

TEST_F(MapScreenTest, OpensWithItsBarsAndTheMapAtNaturalSize) {
  AddPlace(u"France", u"2.5", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  run_.Step([] {
    CountryMapScreen& screen = Map();
    EXPECT_EQ(screen.TemplateNumber(), kCountryMapTemplate);
    EXPECT_EQ(screen.Text(), u"Country Map");
    EXPECT_EQ(screen.ClientRect(), (tv::gfx::Rect{0, 0, 227, 255}));
    EXPECT_EQ(screen.View().Natural(), (tv::gfx::Size{kMapWidth, kMapHeight}));
    EXPECT_EQ(screen.Distance().scale, 2.5);
    EXPECT_FALSE(screen.HasGeoreference());
    // 300 - 227 - 10 across; the map is not as high as the window.
    const tv::ui::ScrollInfo h = screen.GetScrollInfo(ScrollOrientation::kHorizontal);
    const tv::ui::ScrollInfo v = screen.GetScrollInfo(ScrollOrientation::kVertical);
    EXPECT_EQ(h.min, 0);
    EXPECT_EQ(h.max, 63);
    EXPECT_EQ(v.max, 1);

    const tv::ui::CommandBar* bar = screen.GetCommandBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Menus().size(), 1u);
    EXPECT_EQ(bar->Menus()[0].text, u"Distance");
    ASSERT_EQ(bar->Menus()[0].items.size(), 2u);
    EXPECT_EQ(bar->Menus()[0].items[0].id, kKmsCommand);
    EXPECT_EQ(bar->Menus()[0].items[1].text, u"Miles");
    const int order[] = {kCountryInfoCommand, kZoomOutCommand, kZoomInCommand,
                         kDistanceCommand,    kMapHelpCommand, kMapExitCommand};
    ASSERT_EQ(bar->Buttons().size(), 6u);
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(bar->Buttons()[i].id, order[i]);
      EXPECT_EQ(bar->Buttons()[i].check_button, order[i] == kDistanceCommand);
    }

    ExpectShows({0, 0}, 0, 0);
    ExpectShows({226, 199}, 226, 199);
    // Below the map the square copy is white.
    EXPECT_EQ(WindowPixel({100, 230}), OnDisplay(tv::gfx::kWhite));
  });
  run_.Step([] {
    // The map fits the window's height: the vertical bar does nothing.
    testing::PressKey(tv::ui::Key::kDown);
  });
  run_.Step([] {
    EXPECT_EQ(Map().View().ScrollOffset().y, 0);
    EXPECT_EQ(Map().GetScrollInfo(ScrollOrientation::kVertical).pos, 0);
    // Across, one line moves the map one pixel left.
    testing::PressKey(tv::ui::Key::kRight);
    testing::PressKey(tv::ui::Key::kRight);
  });
  run_.Step([] {
    EXPECT_EQ(Map().View().ScrollOffset().x, 2);
    EXPECT_EQ(Map().GetScrollInfo(ScrollOrientation::kHorizontal).pos, 2);
    ExpectShows({0, 0}, 2, 0);
    ExpectShows({224, 150}, 226, 150);
    ExpectShows({226, 150}, 228, 150);  // the strip the scroll uncovered
    for (int i = 0; i < 70; ++i) testing::PressKey(tv::ui::Key::kRight);
  });
  run_.Step([] {
    // The bar stops 10 pixels short of the map's right edge.
    EXPECT_EQ(Map().View().ScrollOffset().x, 63);
    ExpectShows({226, 10}, 289, 10);
    Press(kMapExitCommand);
  });
  EXPECT_EQ(RunMap(u"France"), tv::ui::kIdOk);
  EXPECT_TRUE(navigator_.requests.empty());
}

TEST_F(MapScreenTest, ZoomInTwiceThenRefused) {
  AddPlace(u"France", u"2.6", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  run_.Step([] { testing::PressKey(tv::ui::Key::kRight); });
  run_.Step([] {
    ASSERT_EQ(Map().View().ScrollOffset().x, 1);
    Press(kZoomInCommand);
  });
  run_.Step([] {
    EXPECT_EQ(Map().View().Current(), (tv::gfx::Size{390, 260}));
    EXPECT_TRUE(Map().View().Zoomed());
    EXPECT_EQ(Map().View().ScrollOffset().x, 0);
    EXPECT_DOUBLE_EQ(Map().Distance().scale, 2.6 * kInverseZoomFactor);
    // The zoomed ranges reach the map's edges.
    EXPECT_EQ(Map().GetScrollInfo(ScrollOrientation::kHorizontal).max, 390 - 227);
    EXPECT_EQ(Map().GetScrollInfo(ScrollOrientation::kVertical).max, 260 - 255);
    EXPECT_EQ(Map().GetScrollInfo(ScrollOrientation::kHorizontal).pos, 0);
    // Window pixel 130 shows natural pixel 130 x 300 / 390 = 100.
    ExpectShows({130, 130}, 100, 100);
    Press(kZoomInCommand);
  });
  run_.Step([] {
    EXPECT_EQ(Map().View().Current(), (tv::gfx::Size{507, 338}));
    Press(kZoomInCommand);
  });
  run_.Step([] {
    EXPECT_EQ(MessageText(), u"Cannot Zoom In anymore");
    Press("ok");
  });
  run_.Step([] {
    EXPECT_EQ(Map().View().Current(), (tv::gfx::Size{507, 338}));
    Press(kMapExitCommand);
  });
  RunMap(u"France");
}

TEST_F(MapScreenTest, ZoomingOutPastTheLimitOpensTheRegionOrSaysThereIsNone) {
  AddPlace(u"France", u"2.5", u"testmap");
  AddPlace(u"World", u"40", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  auto zoom_out_three_times = [this] {
    run_.Step([] { Press(kZoomOutCommand); });
    run_.Step([] {
      EXPECT_EQ(Map().View().Current(), (tv::gfx::Size{230, 153}));
      Press(kZoomOutCommand);
    });
    run_.Step([] {
      EXPECT_EQ(Map().View().Current(), (tv::gfx::Size{176, 117}));
      Press(kZoomOutCommand);
    });
  };
  zoom_out_three_times();
  run_.Step([this] {
    EXPECT_EQ(TopKind(), "dialog");
    ASSERT_EQ(navigator_.requests.size(), 1u);
    EXPECT_EQ(navigator_.requests[0], "reference-map 3");
    EXPECT_EQ(Map().View().Current().width, 176);
    Press(kMapExitCommand);
  });
  RunMap(u"France");

  zoom_out_three_times();
  run_.Step([] {
    EXPECT_EQ(MessageText(), u"Reference Map not available");
    Press("ok");
  });
  run_.Step([this] {
    EXPECT_EQ(navigator_.requests.size(), 1u);
    EXPECT_EQ(Map().View().Current().width, 176);
    // The whole view was redrawn at the unchanged zoom.
    ExpectShows({50, 50}, 50 * 300 / 176, 50 * 200 / 117);
    Press(kMapExitCommand);
  });
  RunMap(u"World");
}

TEST_F(MapScreenTest, DistanceToolDrawsMarkersLinesAndLabels) {
  AddPlace(u"France", u"2.5", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  run_.Step([] {
    // Off: a tap draws nothing.
    Tap(10, 10);
  });
  run_.Step([] {
    ExpectShows({10, 10}, 10, 10);
    EXPECT_FALSE(Map().Distance().start_point_set);
    Press(kDistanceCommand);
    EXPECT_TRUE(Map().GetCommandBar()->IsButtonChecked(kDistanceCommand));
    EXPECT_TRUE(Map().Distance().distance_mode);
    Tap(10, 10);
  });
  run_.Step([] {
    // A 5 x 5 yellow marker with a black frame.
    EXPECT_EQ(WindowPixel({9, 9}), OnDisplay({255, 255, 0}));
    EXPECT_EQ(WindowPixel({7, 7}), OnDisplay(tv::gfx::kBlack));
    ExpectShows({12, 12}, 12, 12);
    Tap(13, 14);
  });
  run_.Step([] {
    EXPECT_EQ(WindowPixel({12, 13}), OnDisplay({255, 0, 0}));
    EXPECT_TRUE(HasScreenText(u"12.50 Kms", {8, 19}));
    // The label box is white inside its frame.
    EXPECT_EQ(WindowPixel({50, 18}), OnDisplay(tv::gfx::kWhite));
    EXPECT_EQ(WindowPixel({3, 17}), OnDisplay(tv::gfx::kBlack));
    EXPECT_DOUBLE_EQ(Map().Distance().total, 12.5);
    Press(kMilesCommand);
    Tap(13, 14);
  });
  run_.Step([] {
    // A zero-length segment draws the label again, in the new unit.
    EXPECT_TRUE(HasScreenText(u"7.77 miles", {8, 19}));
    Tap(220, 190);
  });
  run_.Step([] {
    // Near the right edge the label and its box move left into the window.
    EXPECT_EQ(WindowPixel({226, 200}), OnDisplay(tv::gfx::kBlack));
    EXPECT_LT(Map().ScreenTexts().back().position.x, 215);
    Press(kDistanceCommand);
  });
  run_.Step([] {
    // The measurement is erased and the tool is off.
    EXPECT_FALSE(Map().GetCommandBar()->IsButtonChecked(kDistanceCommand));
    EXPECT_FALSE(Map().Distance().distance_mode);
    EXPECT_TRUE(Map().ScreenTexts().empty());
    ExpectShows({9, 9}, 9, 9);
    ExpectShows({50, 18}, 50, 18);
    Press(kMapExitCommand);
  });
  RunMap(u"France");
}

TEST_F(MapScreenTest, APathStaysOnTheMapAcrossAScroll) {
  AddPlace(u"France", u"2.5", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  run_.Step([] {
    Press(kDistanceCommand);
    Tap(10, 10);
  });
  run_.Step([] {
    testing::PressKey(tv::ui::Key::kRight);
    testing::PressKey(tv::ui::Key::kRight);
  });
  run_.Step([] {
    // The marker moved two pixels left with the map, and so did the point.
    EXPECT_EQ(Map().Distance().previous_point, (Point{8, 10}));
    EXPECT_EQ(WindowPixel({7, 9}), OnDisplay({255, 255, 0}));
    Tap(11, 14);
  });
  run_.Step([] {
    // Map pixels (10, 10) to (13, 14): 5 pixels of 2.5 km.
    EXPECT_DOUBLE_EQ(Map().Distance().total, 12.5);
    EXPECT_TRUE(HasScreenText(u"12.50 Kms", {6, 19}));
    Press(kMapExitCommand);
  });
  RunMap(u"France");
}

TEST_F(MapScreenTest, AZoomStepEndsTheDistanceTool) {
  AddPlace(u"France", u"2.5", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  run_.Step([] {
    Press(kDistanceCommand);
    Tap(20, 20);
    Tap(40, 20);
  });
  run_.Step([] {
    ASSERT_TRUE(Map().Distance().measurement_shown);
    Press(kZoomInCommand);
  });
  run_.Step([] {
    EXPECT_FALSE(Map().Distance().distance_mode);
    EXPECT_FALSE(Map().Distance().measurement_shown);
    EXPECT_FALSE(Map().GetCommandBar()->IsButtonChecked(kDistanceCommand));
    Tap(60, 60);
  });
  run_.Step([] {
    EXPECT_FALSE(Map().Distance().start_point_set);
    // 60 x 300 / 390 = 46.
    ExpectShows({60, 60}, 46, 46);
    Press(kMapExitCommand);
  });
  RunMap(u"France");
}

TEST_F(MapScreenTest, UnitSurvivesARestart) {
  AddPlace(u"France", u"2.5", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  bool first_unit = false;
  run_.Step([&first_unit] {
    first_unit = Map().Distance().kilometres;
    // The menu's check marks follow the unit when it opens.
    tv::ui::CommandBar& bar = *Map().GetCommandBar();
    bar.OpenMenu(0);
    EXPECT_EQ(bar.Menus()[0].items[0].checked, first_unit);
    EXPECT_EQ(bar.Menus()[0].items[1].checked, !first_unit);
    bar.CloseMenu();
  });
  run_.Step([&first_unit] { Press(first_unit ? kMilesCommand : kKmsCommand); });
  run_.Step([] { Press(kMapExitCommand); });
  RunMap(u"France");

  run_.Step([&first_unit] {
    EXPECT_EQ(Map().Distance().kilometres, !first_unit);
    tv::ui::CommandBar& bar = *Map().GetCommandBar();
    bar.OpenMenu(0);
    EXPECT_EQ(bar.Menus()[0].items[1].checked, first_unit);
    bar.CloseMenu();
  });
  run_.Step([] { Press(kMapExitCommand); });
  RunMap(u"France");
}

TEST_F(MapScreenTest, FailuresToOpenAreReported) {
  AddPlace(u"France", u"", u"testmap");         // no scale
  AddPlace(u"Germany", u"3", u"");              // no map field: looks for ".gif"
  AddPlace(u"Spain", u"3", u"damaged");         // a GIF cut short
  AddPlace(u"Italy", u"N/A", u"testmap");
  WritePatternGif(maps_ / "testmap.gif");
  {
    std::ifstream in(maps_ / "testmap.gif", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WriteFile(maps_ / "damaged.gif", bytes.substr(0, bytes.size() / 2));
  }
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"France", u"Country Info not Available!"},
      {u"Germany", u"Map File not Found!"},
      {u"Spain", u"Map File not Found!"},
      {u"Nowhere", u"Country Info not Available!"},
  };
  for (const auto& [place, message] : cases) {
    run_.Step([message = message] {
      EXPECT_EQ(MessageText(), message);
      Press("ok");
    });
    EXPECT_EQ(RunMap(place), tv::ui::kIdCancel) << tv::Utf16ToUtf8(place);
  }
  // "N/A" opens the map with the scale -1.
  run_.Step([] {
    EXPECT_EQ(Map().Distance().scale, -1.0);
    Press(kMapExitCommand);
  });
  RunMap(u"Italy");
}

TEST_F(MapScreenTest, GeoreferencedMapMeasuresGeodesicsAndDrawsThemAcrossTheDateLine) {
  // The whole Earth at 1.2 degrees a pixel, the top-left pixel centred on
  // (-180, 90): row 75 is the equator and column 75 the meridian 90 W.
  AddPlace(u"World", u"100", u"world");
  WritePatternGif(maps_ / "world.gif");
  WriteFile(maps_ / "world.gfw", "1.2\n0\n0\n-1.2\n-180\n90\n");
  WriteFile(maps_ / "world.prj",
            "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
            "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]");
  run_.Step([] {
    ASSERT_TRUE(Map().HasGeoreference());
    Press(kDistanceCommand);
    // South of the pole: no point of the Earth, nothing drawn.
    Tap(50, 190);
  });
  run_.Step([] {
    EXPECT_FALSE(Map().Distance().start_point_set);
    ExpectShows({49, 189}, 49, 189);
    Tap(75, 75);
    Tap(150, 75);
  });
  run_.Step([] {
    // A quarter of the equator: 6378.137 km x pi / 2.
    EXPECT_NEAR(Map().Distance().total, 10018.754, 0.001);
    Press(kZoomOutCommand);
    Press(kZoomOutCommand);
  });
  run_.Step([] {
    // The whole map in view (176 x 117): from 168 E to 173 W the path runs
    // east, off the right edge and in again at the left, not across the map.
    Press(kDistanceCommand);
    Tap(170, 44);
    Tap(3, 44);
  });
  run_.Step([] {
    EXPECT_EQ(WindowPixel({174, 44}), OnDisplay(tv::gfx::kBlack));
    ExpectShows({100, 44}, 100 * 300 / 176, 44 * 200 / 117);
    Press(kMapExitCommand);
  });
  RunMap(u"World");
}

}  // namespace
}  // namespace terravue
