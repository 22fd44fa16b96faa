#include "daynight/day_night_screen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "daynight/solar_model.h"
#include "db/country_import.h"
#include "db/zone_store.h"
#include "platform/base/utf.h"
#include "platform/clock/clock.h"
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
using testing::Top;
using testing::TopKind;
using testing::TopTemplate;
using tv::gfx::Color;
using tv::gfx::PixelFormat;
using tv::gfx::Point;

constexpr int kMapWidth = 240;
constexpr int kMapHeight = 120;
constexpr int kWorldMap = 376;

// A June solstice noon, an equinox midnight and a December solstice noon, UTC.
constexpr const char* kJuneNoon = "2027-06-21T12:00:00Z";
constexpr const char* kEquinoxMidnight = "2027-03-20T00:00:00Z";
constexpr const char* kDecemberNoon = "2027-12-21T12:00:00Z";

void SetClock(const char* iso) { tv::clock::SetFixedUtc(tv::clock::ParseIsoUtc(iso)); }

// Four countries with every category: Afghanistan in a zone 4.5 hours east
// of UTC, Albania with no zone ("N/A"), Algeria in a zone the zone store
// lacks, France an hour east.
std::string CountryFile() {
  static const std::pair<const char*, int> kCategories[] = {
      {"geography", 11}, {"people", 10},         {"government", 5}, {"economy", 6},
      {"communication", 6}, {"transportation", 3}, {"tourism", 1}};
  static const std::pair<const char*, const char*> kZones[] = {
      {"Afghanistan", "1"}, {"Albania", "N/A"}, {"Algeria", "77"}, {"France", "2"}};
  std::string out;
  for (const auto& [country, zone] : kZones) {
    out += std::string("<country>") + country + "\n";
    for (const auto& [category, fields] : kCategories) {
      out += std::string("<") + category + ">\n";
      for (int i = 0; i < fields; ++i) {
        if (std::string(category) == "geography" && i == 0) {
          out += std::string("<Timezone>") + zone + "\n";
        } else {
          out += "<f" + std::to_string(i) + ">x\n";
        }
      }
      out += std::string("</") + category + ">\n";
    }
    out += "</country>\n\n";
  }
  return out;
}

void InstallDatabases(const std::filesystem::path& root) {
  std::filesystem::create_directories(root / "windows");
  std::ofstream(root / "windows" / "QuorvelCountriesTerravue.txt") << CountryFile();
  std::ofstream(root / "windows" / "QuorvelZones.txt")
      << "1,Afghanistan Time,Afghanistan Time,-270,0,0,0,0,0,0\n"
      << "2,Central European Time,Central European Time,-60,0,0,0,0,0,0\n";
  ASSERT_TRUE(ZoneRecordStore::ImportZoneData());
  ASSERT_TRUE(ImportCountryData());
}

// A program run with the two databases installed and the clock fixed.
class DayNightRun : public ProgramRun {
 public:
  explicit DayNightRun(const char* instant = kJuneNoon) {
    InstallDatabases(DeviceRoot());
    SetClock(instant);
  }
  ~DayNightRun() override { tv::clock::SetFixedUtc(std::nullopt); }

  // Runs the Day/Night screen alone, its requests to open screens going to
  // `navigator`.
  int RunScreen(Navigator& navigator, PixelFormat format = PixelFormat::kRgb565) {
    return RunWith(
        [&navigator] {
          ScopedNavigator installed(navigator);
          DayNightScreen screen;
          screen.RunModal();
        },
        format);
  }
  int RunScreen(PixelFormat format = PixelFormat::kRgb565) {
    RecordingNavigator navigator;
    return RunScreen(navigator, format);
  }
};

// The topmost Day/Night screen (a list it opened may lie above it).
DayNightScreen& Screen() {
  DayNightScreen* screen = nullptr;
  for (tv::ui::Window* window : tv::ui::Desktop::Get().TopLevels()) {
    if (auto* found = dynamic_cast<DayNightScreen*>(window)) screen = found;
  }
  if (screen == nullptr) {
    ADD_FAILURE() << "no Day/Night screen; the top window is " << TopKind();
    std::abort();
  }
  return *screen;
}

// The screen's three clocks and its shading flag, as the dump reports them.
std::string Clocks() { return Screen().StateForDump()[0].second; }
bool PlotsOnPaint() { return Screen().StateForDump()[1].second == "true"; }

void Choose(int id, std::u16string_view text) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Choose(id, text, error)) << error;
}

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}

// The map area of the display as the screen shows it now, row by row, read
// from the framebuffer itself (windows above it included).
std::vector<Color> MapPixels() {
  const tv::gfx::Bitmap& display = tv::ui::Desktop::Get().Display();
  const Point origin = Screen().ScreenOrigin();
  std::vector<Color> pixels;
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) pixels.push_back(display.Load(origin.x + x, origin.y + y));
  }
  return pixels;
}

// The map as drawn before any shading: the bitmap in the display's format,
// framed by a one-pixel black line.
std::vector<Color> UnshadedMap() {
  auto map = tv::res::LoadBitmap(kWorldMap);
  EXPECT_TRUE(map);
  const tv::gfx::Bitmap& display = tv::ui::Desktop::Get().Display();
  std::vector<Color> pixels;
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      const bool frame = x == 0 || y == 0 || x == kMapWidth - 1 || y == kMapHeight - 1;
      pixels.push_back(frame || !map ? tv::gfx::kBlack : display.Quantize(map->Load(x, y)));
    }
  }
  return pixels;
}

bool IsSampled(int x, int y) {
  return x % 2 == 0 && y >= kPlotFirstRow && y <= kPlotLastRow && y % 2 == 1;
}

// Compares the shown map with the unshaded map darkened by the model at
// every sampled point; on a difference, writes the display as a PNG and
// names the first differing pixel.
void ExpectShadedAsTheModelSays(const std::string& what) {
  const std::vector<Color> before = UnshadedMap();
  const std::vector<Color> shown = MapPixels();
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      const Color original = before[y * kMapWidth + x];
      Color expected = original;
      if (IsSampled(x, y) && ClassifyMapPoint(x, y) == DayNight::kNight) {
        expected = NightColor(original).value_or(original);
      }
      const Color actual = shown[y * kMapWidth + x];
      if (actual != expected) {
        const std::string png = ::testing::TempDir() + "day_night_actual.png";
        tv::gfx::WritePngFile(tv::ui::Desktop::Get().Display(), png);
        ADD_FAILURE() << what << ": first difference at " << x << "," << y << ": expected "
                      << int(expected.r) << "," << int(expected.g) << "," << int(expected.b)
                      << ", shown " << int(actual.r) << "," << int(actual.g) << ","
                      << int(actual.b) << " (display written to " << png << ")";
        return;
      }
    }
  }
}

// How many pixels of columns [from, to) differ from the unshaded map, between
// latitudes 45 north and south, where every day has a sunrise and a sunset.
int DarkenedIn(int from, int to) {
  const std::vector<Color> before = UnshadedMap();
  const std::vector<Color> shown = MapPixels();
  int count = 0;
  for (int y = 30; y <= 90; ++y) {
    for (int x = from; x < to; ++x) count += shown[y * kMapWidth + x] != before[y * kMapWidth + x];
  }
  return count;
}

TEST(DayNightScreenTest, OpensWithTheThreeDefaultClocks) {
  DayNightRun run;
  run.Step([] {
    DayNightScreen& screen = Screen();
    EXPECT_EQ(screen.Text(), u"Day/Night Plot");
    EXPECT_EQ(screen.TemplateNumber(), 396);
    const char16_t* expected_names[] = {u"Afghanistan", u"Albania", u"Algeria"};
    for (int i = 0; i < kClockCount; ++i) {
      const auto& selector = screen.Control<tv::ui::ComboBox>(kClockSelectors[i]);
      EXPECT_EQ(selector.Count(), 256);
      EXPECT_EQ(selector.GetCurSel(), i);
      EXPECT_EQ(selector.Text(), expected_names[i]);
    }
    // Afghanistan's clock, Albania has no zone, Algeria's zone is missing;
    // the missing one is replaced in the kept text as well.
    const std::u16string clocks[] = {u"Mon 6/21 4:30 PM", u"N/A", u"Time Database Error!"};
    const Point positions[] = {{100, 130}, {100, 168}, {100, 208}};
    ASSERT_EQ(screen.LastPaintTexts().size(), 3u);
    for (int i = 0; i < kClockCount; ++i) {
      EXPECT_EQ(screen.LastPaintTexts()[i].text, clocks[i]);
      EXPECT_EQ(screen.LastPaintTexts()[i].position, positions[i]);
      EXPECT_EQ(screen.LastPaintTexts()[i].color, tv::gfx::kBlack);
    }
    EXPECT_NE(tv::ui::automation::Dump().find(
                  R"("state":{"clocks":["Mon 6/21 4:30 PM","N/A","Time Database Error!"],)"
                  R"("plot_on_paint":true})"),
              std::string::npos);
  });
  EXPECT_EQ(run.RunScreen(), 0);
}

// At each instant and display depth the map shows the model's night exactly
// at the sampled points and every other pixel as drawn; the night lies on the
// side of the world the hour puts it; black and grey stay as they are at
// night; and the 16-bit display, which reads colours back as 248 for a full
// red, shows the 24-bit shading as it would hold it.
TEST(DayNightScreenTest, ShadingFollowsTheModelOnlyAtTheSampledPoints) {
  RegisterTerravueResources();
  auto map = tv::res::LoadBitmap(kWorldMap);
  ASSERT_TRUE(map);
  const std::pair<const char*, bool> kInstants[] = {
      {kJuneNoon, true}, {kDecemberNoon, true}, {kEquinoxMidnight, false}};
  for (const auto& [instant, night_at_the_edges] : kInstants) {
    std::vector<Color> shown[2];
    const PixelFormat formats[] = {PixelFormat::kRgb565, PixelFormat::kRgb888};
    for (int f = 0; f < 2; ++f) {
      SCOPED_TRACE(std::string(instant) + (f == 0 ? " at 16 bits" : " at 24 bits"));
      DayNightRun run(instant);
      run.Step([&, instant = instant, edges_dark = night_at_the_edges] {
        ExpectShadedAsTheModelSays(instant);
        shown[f] = MapPixels();
        // Noon at Greenwich is midnight at the date line, and the other way round.
        const int edges = DarkenedIn(0, 30) + DarkenedIn(210, 240);
        const int middle = DarkenedIn(90, 150);
        EXPECT_GT(edges_dark ? edges : middle, 300);
        EXPECT_EQ(edges_dark ? middle : edges, 0);
        int kept = 0;
        for (int x = 2; x < kMapWidth; x += 2) {
          for (int y = kPlotFirstRow; y <= kPlotLastRow; y += 2) {
            const Color drawn = map->Load(x, y);
            const bool dark = drawn == tv::gfx::kBlack || drawn == tv::gfx::kGrey ||
                              drawn == tv::gfx::kSilver;
            if (!dark || ClassifyMapPoint(x, y) != DayNight::kNight) continue;
            ++kept;
            EXPECT_EQ(shown[f][y * kMapWidth + x], drawn) << x << "," << y;
          }
        }
        EXPECT_GT(kept, 20);
      });
      EXPECT_EQ(run.RunScreen(formats[f]), 0);
    }
    const tv::gfx::Bitmap sixteen(1, 1, PixelFormat::kRgb565);
    int darkened = 0;
    for (int y = 1; y < kMapHeight - 1; ++y) {
      for (int x = 1; x < kMapWidth - 1; ++x) {
        const Color full = shown[1][y * kMapWidth + x];
        ASSERT_EQ(shown[0][y * kMapWidth + x], sixteen.Quantize(full)) << instant << " at " << x
                                                                       << "," << y;
        darkened += full != map->Load(x, y);
      }
    }
    EXPECT_GT(darkened, 500) << instant;
  }
}

TEST(DayNightScreenTest, ShadingAgainChangesNothing) {
  DayNightRun run(kDecemberNoon);
  run.Step([] {
    const std::vector<Color> first = MapPixels();
    EXPECT_TRUE(Screen().ShadeNight());
    EXPECT_EQ(MapPixels(), first);
    // A full repaint draws the map afresh and shades it the same way.
    Screen().Invalidate(true);
  });
  run.Step([] { ExpectShadedAsTheModelSays("after a full repaint"); });
  EXPECT_EQ(run.RunScreen(), 0);
}

// A clock change recomputes that clock only and repaints below the map,
// which keeps the shading it had even though the night has moved on.
TEST(DayNightScreenTest, ClockChangeRepaintsOnlyBelowTheMap) {
  DayNightRun run(kJuneNoon);
  auto opening_map = std::make_shared<std::vector<Color>>();
  run.Step([opening_map] {
    *opening_map = MapPixels();
    SetClock("2027-06-21T18:05:00Z");
    Choose(kClock2Selector, u"France");
    EXPECT_FALSE(PlotsOnPaint());
    EXPECT_GE(Screen().InvalidRect().top, kMapHeight);
    EXPECT_EQ(Clocks(), R"(["Mon 6/21 4:30 PM","Mon 6/21 7:05 PM","Time Database Error!"])");
  });
  run.Step([opening_map] {
    EXPECT_TRUE(PlotsOnPaint());
    EXPECT_EQ(MapPixels(), *opening_map);
    const auto& texts = Screen().LastPaintTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, u"Mon 6/21 4:30 PM");
    EXPECT_EQ(texts[1].text, u"Mon 6/21 7:05 PM");
    EXPECT_EQ(texts[2].text, u"Time Database Error!");
    // The next full paint shades again, for the time now.
    Screen().Invalidate(true);
  });
  run.Step([opening_map] {
    EXPECT_NE(MapPixels(), *opening_map);
    ExpectShadedAsTheModelSays("after the clock change");
  });
  EXPECT_EQ(run.RunScreen(), 0);
}

// The lists of the lower selectors open upwards over the map. Choosing from
// one repaints the part of the map it covered together with the clocks; that
// part is shaded again, not left in daylight.
TEST(DayNightScreenTest, MapUnderAClosedListIsShadedAgain) {
  DayNightRun run(kJuneNoon);
  run.Step([] {
    const tv::gfx::Rect field = Screen().Control<tv::ui::ComboBox>(kClock3Selector).Frame();
    testing::Tap(field.left + 5, field.top + 5);
  });
  // The list's first row shows the selected item's neighbourhood; its fourth
  // row is another country.
  run.Step([] {
    // The open list holds the pen capture.
    ASSERT_NE(tv::ui::Desktop::Get().Capture(), nullptr);
    EXPECT_LT(tv::ui::Desktop::Get().Capture()->ScreenRect().top - Screen().ScreenOrigin().y,
              kMapHeight);
    const int row = Screen().Control<tv::ui::ComboBox>(kClock3Selector).ItemHeight();
    testing::Tap(10, row * 3 + row / 2);
  });
  run.Step([] {
    EXPECT_EQ(TopTemplate(), 396);
    EXPECT_NE(Screen().Control<tv::ui::ComboBox>(kClock3Selector).GetCurSel(), 2);
    EXPECT_EQ(Clocks().find("Time Database Error!"), std::string::npos);
    EXPECT_TRUE(PlotsOnPaint());
    ExpectShadedAsTheModelSays("after a choice from the list over the map");
  });
  EXPECT_EQ(run.RunScreen(), 0);
}

// A map pixel that cannot be read (a window lies over it) stops the shading
// there: the columns before it stay darkened, the rest of the paint still
// draws the clocks, and the user is told once the paint is over. Once the
// window has gone, the repaint shades the whole map.
TEST(DayNightScreenTest, UnreadablePixelStopsTheShadingAndTellsTheUser) {
  DayNightRun run(kJuneNoon);
  auto cover = std::make_shared<tv::ui::Window>();
  run.Step([cover] {
    const Point o = Screen().ScreenOrigin();
    cover->SetFrame({o.x + 100, o.y + 40, o.x + 140, o.y + 60});
    tv::ui::Desktop::Get().AddTopLevel(cover.get());
    cover->Show(true);
    Screen().Invalidate(true);
  });
  run.Step([cover] {
    EXPECT_EQ(MessageText(), u"ERROR IN PLOT COLORS");
    auto* box = dynamic_cast<tv::ui::MessageBoxWindow*>(Top());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Caption(), u"Terravue");
    EXPECT_EQ(Screen().LastPaintTexts().size(), 3u);
    const std::vector<Color> before = UnshadedMap();
    const std::vector<Color> shown = MapPixels();
    int shaded_before = 0;
    // Where the message box does not lie over the map.
    const tv::gfx::Rect box_area = box->ScreenRect().Offset(-Screen().ScreenOrigin().x,
                                                            -Screen().ScreenOrigin().y);
    for (int y = kPlotFirstRow; y <= kPlotLastRow; y += 2) {
      for (int x : {0, 2, 98, 100, 238}) {
        if (box_area.Contains({x, y})) continue;
        const Color original = before[y * kMapWidth + x];
        const bool reached = x < 100 || (x == 100 && y < 40);
        const bool night = ClassifyMapPoint(x, y) == DayNight::kNight;
        const Color expected = reached && night ? NightColor(original).value_or(original) : original;
        if (x == 100 && y >= 40 && y < 60) continue;  // under the window
        EXPECT_EQ(shown[y * kMapWidth + x], expected) << x << "," << y;
        shaded_before += reached && expected != original;
      }
    }
    EXPECT_GT(shaded_before, 10);
    cover->Show(false);
    tv::ui::Desktop::Get().RemoveTopLevel(cover.get());
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(TopTemplate(), 396);
    ExpectShadedAsTheModelSays("after the window went");
  });
  EXPECT_EQ(run.RunScreen(), 0);
}

// A window that stays over the map (the message box of a screen opening
// above, say) while the user dismisses the error: repainting the area the
// error's box covered cannot read the covered pixels either, and must not
// tell the user again and again, or OK would only ever bring the same
// message back. Once the map has been shaded whole, a new failure is told.
TEST(DayNightScreenTest, UnreadablePixelIsToldOnceWhileTheWindowStays) {
  DayNightRun run(kJuneNoon);
  auto cover = std::make_shared<tv::ui::Window>();
  auto show_cover = [cover](bool show) {
    if (show) {
      const Point o = Screen().ScreenOrigin();
      cover->SetFrame({o.x + 100, o.y + 40, o.x + 140, o.y + 60});
      tv::ui::Desktop::Get().AddTopLevel(cover.get());
    } else {
      tv::ui::Desktop::Get().RemoveTopLevel(cover.get());
    }
    cover->Show(show);
    Screen().Invalidate(true);
  };
  run.Step([show_cover] { show_cover(true); });
  run.Step([] {
    EXPECT_EQ(MessageText(), u"ERROR IN PLOT COLORS");
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(TopKind(), "window") << "the error came back: " << tv::Utf16ToUtf8(MessageText());
    Screen().Invalidate(true);
  });
  run.Step([show_cover] {
    EXPECT_EQ(TopKind(), "window") << "the error came back: " << tv::Utf16ToUtf8(MessageText());
    show_cover(false);
  });
  run.Step([show_cover] {
    EXPECT_EQ(TopTemplate(), 396);
    ExpectShadedAsTheModelSays("after the window went");
    show_cover(true);
  });
  run.Step([show_cover] {
    EXPECT_EQ(MessageText(), u"ERROR IN PLOT COLORS");
    show_cover(false);
    Press("ok");
  });
  run.Step([] {
    EXPECT_EQ(TopTemplate(), 396);
    ExpectShadedAsTheModelSays("after the window went again");
  });
  EXPECT_EQ(run.RunScreen(), 0);
}

TEST(DayNightScreenTest, ButtonsAskForTheirScreensAndExitCloses) {
  DayNightRun run;
  for (int id : {kDayNightFactsButton, kDayNightCompareButton, kDayNightHelpButton}) {
    run.Step([id] { Press(std::to_string(id)); });
  }
  run.Step([] { Press(std::to_string(kDayNightExitButton)); });
  run.Step([] { ADD_FAILURE() << "the screen should have closed"; });
  run.ExpectEarlyEnd();
  RecordingNavigator navigator;
  EXPECT_EQ(run.RunScreen(navigator), 0);
  EXPECT_EQ(run.StepsLeft(), 1);
  const std::string help = tv::Utf16ToUtf8(DayNightHelpText());
  EXPECT_EQ(navigator.requests,
            (std::vector<std::string>{"world-facts", "compare", "help " + help}));
}

// In the program: the main screen's button opens the screen, and each
// opening has clocks of its own: a second plot opened above the first
// (through Compare) starts from the default clocks and leaves the first
// one's alone.
TEST(DayNightScreenTest, OpensFromTheMainScreenWithClocksOfItsOwn) {
  DayNightRun run;
  run.Step([] { Press("1002"); });
  run.Step([] {
    ASSERT_EQ(TopTemplate(), 396);
    Choose(kClock2Selector, u"France");
    Press(std::to_string(kDayNightCompareButton));
  });
  run.Step([] { Press("1031"); });
  run.Step([] {
    ASSERT_EQ(TopTemplate(), 396);
    EXPECT_EQ(Screen().Control<tv::ui::ComboBox>(kClock2Selector).Text(), u"Albania");
    EXPECT_EQ(Clocks(), R"(["Mon 6/21 4:30 PM","N/A","Time Database Error!"])");
    ExpectShadedAsTheModelSays("second opening");
    testing::PressKey(tv::ui::Key::kEscape);
  });
  run.Step([] { testing::PressKey(tv::ui::Key::kEscape); });
  run.Step([] {
    ASSERT_EQ(TopTemplate(), 396);
    EXPECT_EQ(Clocks(), R"(["Mon 6/21 4:30 PM","Mon 6/21 1:00 PM","Time Database Error!"])");
    ASSERT_EQ(Screen().LastPaintTexts().size(), 3u);
    EXPECT_EQ(Screen().LastPaintTexts()[1].text, u"Mon 6/21 1:00 PM");
    Press("1053");
  });
  run.Step([] { EXPECT_EQ(TopTemplate(), 102); });
  EXPECT_EQ(run.Run(), 0);
}

}  // namespace
}  // namespace terravue
