#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/main_screen.h"
#include "places/places.h"
#include "info/help_screen.h"
#include "platform/base/utf.h"
#include "platform/gfx/image_io.h"
#include "platform/resources/resources.h"
#include "platform/ui/automation.h"
#include "platform/ui/controls.h"
#include "tests/program_run.h"

namespace terravue {
namespace {

using testing::MessageText;
using testing::ProgramRun;
using testing::RecordingNavigator;
using testing::RunMainScreen;
using testing::Tap;
using testing::Top;
using testing::TopKind;
using testing::TopTemplate;
using tv::gfx::Color;

constexpr std::u16string_view kMissed = u"Didn't get your selection, please try once again!";

MainScreen& Main() {
  auto* screen = dynamic_cast<MainScreen*>(Top());
  EXPECT_NE(screen, nullptr) << "top window is " << TopKind();
  return *screen;
}

void Choose(int id, std::u16string_view text) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Choose(id, text, error)) << error;
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}

// A point of the world map, in its interior, whose 3x3 neighbourhood is all
// of `colour` and whose x lies in (low, high]: a tap there cannot be confused
// by the frame, a label or a neighbour.
std::optional<tv::gfx::Point> SolidPixel(Color colour, int low, int high) {
  auto map = tv::res::LoadBitmap(kWorldMapBitmap);
  if (!map) return std::nullopt;
  for (int y = 2; y < map->Height() - 2; ++y) {
    for (int x = std::max(low + 2, 2); x <= std::min(high - 2, map->Width() - 3); ++x) {
      bool solid = true;
      for (int dy = -1; dy <= 1 && solid; ++dy) {
        for (int dx = -1; dx <= 1 && solid; ++dx) solid = map->Load(x + dx, y + dy) == colour;
      }
      if (solid) return tv::gfx::Point{x, y};
    }
  }
  return std::nullopt;
}

TEST(MainScreenTest, InitialStateAndPaint) {
  ProgramRun run;
  run.Step([] {
    MainScreen& screen = Main();
    EXPECT_EQ(screen.Text(), u"Terravue");
    EXPECT_EQ(screen.TemplateNumber(), 102);
    const auto& selector = screen.Control<tv::ui::ComboBox>(kRegionSelector);
    ASSERT_EQ(selector.Count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(selector.GetText(i), RegionTable[i].name);
    EXPECT_EQ(selector.GetCurSel(), 7);
    EXPECT_EQ(selector.Text(), u"World Countries");

    const auto& list = screen.Control<tv::ui::ListBox>(kCountryList);
    ASSERT_EQ(list.Count(), 256);
    const std::vector<std::u16string> items = list.Items();
    EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](const auto& a, const auto& b) {
      return tv::CompareNoCase(a, b) < 0;
    }));
    EXPECT_EQ(std::count(items.begin(), items.end(), u"Russia"), 2);
    EXPECT_EQ(items.front(), u"Afghanistan");
    EXPECT_EQ(list.GetCurSel(), -1);

    // The label is red, at its place, and the map is framed in black.
    ASSERT_EQ(screen.LastPaintTexts().size(), 1u);
    EXPECT_EQ(screen.LastPaintTexts()[0].text, u"Select Region:");
    EXPECT_EQ(screen.LastPaintTexts()[0].position, (tv::gfx::Point{10, 124}));
    auto canvas = screen.GetScreenCanvas();
    for (tv::gfx::Point p : {tv::gfx::Point{0, 0}, {239, 0}, {0, 119}, {239, 119}, {120, 0}}) {
      EXPECT_EQ(canvas.GetPixel(p), Color{}) << p.x << "," << p.y;
    }
    EXPECT_EQ(canvas.GetPixel({120, 120}), (Color{248, 252, 248}));
    // Inside the frame the map shows through, aligned with the window.
    auto map = tv::res::LoadBitmap(kWorldMapBitmap);
    ASSERT_TRUE(map);
    for (tv::gfx::Point p : {tv::gfx::Point{1, 1}, {60, 40}, {200, 90}, {238, 118}}) {
      EXPECT_EQ(canvas.GetPixel(p), tv::ui::Desktop::Get().Display().Quantize(map->Load(p.x, p.y)));
    }
    bool red_text = false;
    for (int y = 124; y < 140 && !red_text; ++y) {
      for (int x = 10; x < 60 && !red_text; ++x) red_text = canvas.GetPixel({x, y}) == Color{248, 0, 0};
    }
    EXPECT_TRUE(red_text);

    // Every face loaded and sized the button to 16x16.
    for (int id : {kInfoButton, kMapButton, kDayNightButton, kFactsButton, kCompareButton,
                   kHelpButton, kExitButton}) {
      const auto& button = screen.Control<tv::ui::BitmapButton>(id);
      EXPECT_NE(button.Face(), nullptr) << id;
      EXPECT_EQ(button.Frame().Width(), 16) << id;
      EXPECT_EQ(button.Frame().Height(), 16) << id;
    }
  });
  EXPECT_EQ(run.Run(), 0);
}

TEST(MainScreenTest, ChoosingRegionsRefillsTheList) {
  ProgramRun run;
  const std::pair<std::u16string_view, int> cases[] = {
      {u"Europe", 52}, {u"Australia", 16}, {u"Middle East", 25}, {u"World Countries", 256},
      {u"Africa", 63}};
  for (const auto& [region, count] : cases) {
    run.Step([region = region, count = count] {
      Choose(kRegionSelector, region);
      const auto& list = Main().Control<tv::ui::ListBox>(kCountryList);
      EXPECT_EQ(list.Count(), count) << tv::Utf16ToUtf8(region);
      EXPECT_EQ(Main().Control<tv::ui::ComboBox>(kRegionSelector).Text(), region);
    });
  }
  // Choosing a country opens its map, and the list keeps its choice.
  run.Step([] { Choose(kCountryList, u"Egypt"); });
  run.Step([] {
    const auto& list = Main().Control<tv::ui::ListBox>(kCountryList);
    EXPECT_EQ(list.GetText(list.GetCurSel()), u"Egypt");
    EXPECT_EQ(list.Count(), 63);
  });
  RecordingNavigator navigator;
  EXPECT_EQ(RunMainScreen(run, navigator), 0);
  EXPECT_EQ(navigator.requests, (std::vector<std::string>{"install", "country-map Egypt"}));
}

TEST(MainScreenTest, TapsOnEachRegionReachIt) {
  RegisterTerravueResources();
  for (tv::gfx::PixelFormat format : {tv::gfx::PixelFormat::kRgb565, tv::gfx::PixelFormat::kRgb888}) {
    ProgramRun run;
    std::vector<std::string> expected = {"install"};
    for (int region = 0; region < kRegionCount; ++region) {
      const MapHitRow& row = RegionTable[region];
      const auto point = SolidPixel(row.key_colour, row.range_low, row.range_high);
      ASSERT_TRUE(point) << "no pixel of region " << region << " on the map";
      run.Step([point] { Tap(point->x, point->y); });
      expected.push_back("continent-map " + std::to_string(region));
    }
    // Nothing on the main screen changed.
    run.Step([] {
      EXPECT_EQ(Main().Control<tv::ui::ComboBox>(kRegionSelector).GetCurSel(), 7);
      EXPECT_EQ(Main().Control<tv::ui::ListBox>(kCountryList).Count(), 256);
    });
    RecordingNavigator navigator;
    EXPECT_EQ(RunMainScreen(run, navigator, format), 0);
    EXPECT_EQ(navigator.requests, expected);
  }
}

TEST(MainScreenTest, TapsOffTheRegionsGiveTheMessage) {
  RegisterTerravueResources();
  auto map = tv::res::LoadBitmap(kWorldMapBitmap);
  ASSERT_TRUE(map);
  std::vector<tv::gfx::Point> misses = {{0, 60}, {0, 0}, {239, 60}, {120, 0}, {120, 119},
                                        {120, 120}, {60, 120}};
  // A white (sea), grey and silver (shadow) and black (label) pixel.
  for (Color colour : {Color{255, 255, 255}, Color{128, 128, 128}, Color{192, 192, 192},
                       Color{0, 0, 0}}) {
    bool found = false;
    for (int y = 1; y < 119 && !found; ++y) {
      for (int x = 1; x < 239 && !found; ++x) {
        if (map->Load(x, y) == colour) {
          misses.push_back({x, y});
          found = true;
        }
      }
    }
    EXPECT_TRUE(found) << int(colour.r) << "," << int(colour.g) << "," << int(colour.b);
  }
  ProgramRun run;
  for (tv::gfx::Point p : misses) {
    run.Step([p] { Tap(p.x, p.y); });
    run.Step([p] {
      EXPECT_EQ(MessageText(), kMissed) << "tap at " << p.x << "," << p.y;
      if (TopKind() == "messagebox") Press("ok");
    });
  }
  // Below the map, and at x = 240 (off the 240-pixel window, so no pixel can
  // be read), the tap is ignored.
  for (tv::gfx::Point p : {tv::gfx::Point{120, 121}, {5, 135}, {240, 60}}) {
    run.Step([p] { Tap(p.x, p.y); });
    run.Step([p] { EXPECT_EQ(TopKind(), "dialog") << "tap at " << p.x << "," << p.y; });
  }
  EXPECT_EQ(run.Run(), 0);
}

TEST(MainScreenTest, ButtonsAskForTheirScreens) {
  ProgramRun run;
  RecordingNavigator navigator;
  // A country chosen in the list does not change what the buttons open.
  run.Step([] { Choose(kRegionSelector, u"Europe"); });
  run.Step([] { Choose(kCountryList, u"France"); });
  for (int id : {kInfoButton, kMapButton, kDayNightButton, kFactsButton, kCompareButton,
                 kHelpButton}) {
    run.Step([id] { Press(std::to_string(id)); });
  }
  run.Step([] { Press(std::to_string(kExitButton)); });
  run.Step([] { ADD_FAILURE() << "the program should have ended"; });
  run.ExpectEarlyEnd();
  EXPECT_EQ(RunMainScreen(run, navigator), 0);
  EXPECT_EQ(run.StepsLeft(), 1);
  const std::vector<std::string> expected = {
      "install",   "country-map France", "country-info World", "country-map World",
      "day-night", "world-facts",        "compare",
      "help " + tv::Utf16ToUtf8(InfoFeaturesText())};
  EXPECT_EQ(navigator.requests, expected);
}

TEST(MainScreenTest, ScreensOpenInTheProgramAndEscapeComesBack) {
  ProgramRun run;
  // The first start imports the real installation files.
  const char* source = std::getenv("TERRAVUE_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  std::filesystem::create_directories(run.DeviceRoot() / "windows");
  for (const char* file : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
    std::filesystem::copy_file(std::filesystem::path(source) / "data" / file,
                               run.DeviceRoot() / "windows" / file);
  }
  // Each button's screen opens over the main screen, and Escape returns.
  for (const auto [button, screen_template] :
       {std::pair{kMapButton, 382}, {kInfoButton, 392}, {kDayNightButton, 396},
        {kFactsButton, 395}, {kCompareButton, 394}}) {
    run.Step([button = button] { Press(std::to_string(button)); });
    run.Step([screen_template = screen_template] {
      EXPECT_EQ(TopTemplate(), screen_template);
      testing::PressKey(tv::ui::Key::kEscape);
    });
    run.Step([] { EXPECT_EQ(TopTemplate(), 102); });
  }
  run.Step([] { Press(std::to_string(kHelpButton)); });
  run.Step([] {
    auto* help = dynamic_cast<HelpScreen*>(Top());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->Text(), u"Help!");
    EXPECT_EQ(help->help_text, InfoFeaturesText());
    const auto& box = help->Control<tv::ui::EditBox>(kHelpTextBox);
    EXPECT_EQ(box.Text(), InfoFeaturesText());
    EXPECT_EQ(box.LineCount(), 43);
    // From the text box, Tab reaches Exit and Return presses it.
    testing::PressKey(tv::ui::Key::kTab);
    testing::PressKey(tv::ui::Key::kReturn);
  });
  run.Step([] { EXPECT_EQ(TopTemplate(), 102); });
  EXPECT_EQ(run.Run(), 0);
}

TEST(MainScreenTest, KeyboardReachesTheCountryListFromItsTop) {
  ProgramRun run;
  // The focus starts on the region selector; Tab moves it to the list, whose
  // caret starts on the first country.
  run.Step([] {
    for (tv::ui::Key key : {tv::ui::Key::kTab, tv::ui::Key::kDown, tv::ui::Key::kDown,
                            tv::ui::Key::kReturn}) {
      testing::PressKey(key);
    }
  });
  RecordingNavigator navigator;
  EXPECT_EQ(RunMainScreen(run, navigator), 0);
  EXPECT_EQ(navigator.requests, (std::vector<std::string>{"install", "country-map Algeria"}));
}

TEST(MainScreenTest, TabVisitsEveryControlAndTheFocusedButtonPresses) {
  ProgramRun run;
  RecordingNavigator navigator;
  const std::vector<int> order = {kRegionSelector, kCountryList, kInfoButton,  kMapButton,
                                  kDayNightButton, kFactsButton, kCompareButton, kHelpButton,
                                  kExitButton};
  auto focus_id = [] {
    const tv::ui::Window* focus = tv::ui::Desktop::Get().Focus();
    return focus != nullptr ? focus->Id() : -1;
  };
  run.Step([&] {
    std::vector<int> seen = {focus_id()};
    for (size_t i = 1; i <= order.size(); ++i) {
      testing::PressKey(tv::ui::Key::kTab);
      tv::ui::Desktop::Get().ProcessOneEvent();
      seen.push_back(focus_id());
    }
    std::vector<int> expected = order;
    expected.push_back(kRegionSelector);  // round again
    EXPECT_EQ(seen, expected);
    // Shift+Tab goes back: from the selector to Exit, then to Help.
    testing::PressKey(tv::ui::Key::kBackTab);
    testing::PressKey(tv::ui::Key::kBackTab);
  });
  run.Step([&] {
    EXPECT_EQ(focus_id(), kHelpButton);
    // The focused bitmap button wears a dotted frame inside its edge, and
    // Space presses it.
    const auto& help = Main().Control<tv::ui::BitmapButton>(kHelpButton);
    const tv::gfx::Rect r = help.ScreenRect();
    int dark = 0;
    for (int x = r.left + 1; x < r.right - 1; ++x) {
      dark += tv::ui::Desktop::Get().Display().Load(x, r.top + 1) == tv::gfx::kBlack ? 1 : 0;
    }
    EXPECT_GE(dark, 4) << "no focus frame on the Help button";
    testing::PressKey(tv::ui::Key::kSpace);
  });
  run.Step([&] {
    testing::PressKey(tv::ui::Key::kBackTab);  // to Compare
    testing::PressKey(tv::ui::Key::kReturn);
  });
  EXPECT_EQ(RunMainScreen(run, navigator), 0);
  EXPECT_EQ(navigator.requests,
            (std::vector<std::string>{"install", "help " + tv::Utf16ToUtf8(InfoFeaturesText()),
                                      "compare"}));
}

TEST(MainScreenTest, EscapeAndCaptionOkEndTheProgram) {
  for (bool escape : {true, false}) {
    ProgramRun run;
      run.Step([escape] {
      if (escape) {
        testing::PressKey(tv::ui::Key::kEscape);
      } else {
        Press("ok");
      }
    });
    run.Step([] { ADD_FAILURE() << "the program should have ended"; });
    run.ExpectEarlyEnd();
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.StepsLeft(), 1);
  }
}

TEST(MainScreenTest, InfoFeaturesTextLines) {
  const std::u16string text = InfoFeaturesText();
  EXPECT_TRUE(text.starts_with(u"Terravue is the one application \r\n"));
  EXPECT_TRUE(text.ends_with(u" information!"));
  EXPECT_NE(text.find(u"zoom in/out\r\n\r\n 6. You can view"), std::u16string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 42);
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\r'), 42);
}

}  // namespace
}  // namespace terravue
