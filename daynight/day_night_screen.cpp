#include "daynight/day_night_screen.h"

#include "daynight/solar_model.h"
#include "db/zone_store.h"
#include "places/daylight_changes.h"
#include "places/places.h"
#include "platform/resources/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"
#include "platform/ui/json.h"
#include "platform/ui/message_box.h"
#include "screens/navigator.h"

namespace terravue {
namespace {

using tv::gfx::Color;
using tv::ui::ControlKind;
using tv::ui::ControlTemplate;
namespace style = tv::ui::style;

constexpr uint32_t kSelectorStyle = style::kSorted | style::kVScroll | style::kTabStop;
constexpr ControlTemplate kControls[] = {
    {kClock1Selector, ControlKind::kComboBox, 0, 73, 48, 30, kSelectorStyle},
    {kClock2Selector, ControlKind::kComboBox, 0, 95, 48, 30, kSelectorStyle},
    {kClock3Selector, ControlKind::kComboBox, 0, 117, 48, 30, kSelectorStyle},
    {kDayNightFactsButton, ControlKind::kBitmapButton, 3, 137, 16, 16, 0},
    {kDayNightCompareButton, ControlKind::kBitmapButton, 22, 137, 16, 16, 0},
    {kDayNightHelpButton, ControlKind::kBitmapButton, 41, 137, 16, 16, 0},
    {kDayNightExitButton, ControlKind::kBitmapButton, 60, 137, 16, 16, 0},
};

constexpr tv::ui::DialogTemplate kTemplate{396, u"Day/Night Plot", 146, 158, 0, kControls};

// The world map of the main screen, and where it lies in the window.
constexpr int kWorldMap = 376;
constexpr tv::gfx::Rect kMapRect{0, 0, 240, 120};

// Where the clocks are drawn, clock 1 first.
constexpr tv::gfx::Point kClockPositions[kClockCount] = {{100, 130}, {100, 168}, {100, 208}};

constexpr std::u16string_view kNoZoneRecord = u"Time Database Error!";

}  // namespace

std::optional<Color> NightColor(Color displayed) {
  struct Row {
    Color full;
    Color sixteen_bit;
    Color night;
  };
  static constexpr Row kNightColors[] = {
      {{255, 255, 255}, {248, 252, 248}, {192, 192, 192}},  // the sea, white letters
      {{255, 0, 0}, {248, 0, 0}, {128, 0, 0}},
      {{0, 255, 0}, {0, 252, 0}, {0, 128, 0}},
      {{0, 0, 255}, {0, 0, 248}, {0, 0, 128}},
      {{255, 255, 0}, {248, 252, 0}, {128, 128, 0}},
  };
  for (const Row& row : kNightColors) {
    if (displayed == row.full || displayed == row.sixteen_bit) return row.night;
  }
  return std::nullopt;
}

std::u16string DayNightHelpText() {
  return u"This screen displays the day/night plot\r\n"
         u" for the whole world.  As such, you can\r\n"
         u" view where it is day and where it is\r\n"
         u" night.  You can also view the current\r\n"
         u" time in three different countries\r\n"
         u" simultaneously.  A value of \"N/A\" \r\n"
         u" means that the timezone for the \r\n"
         u" particular country is not available!";
}

DayNightScreen::DayNightScreen()
    : tv::ui::Dialog(kTemplate), buttons_({"Exit", "Help", "Facts", "Compare"}) {}

DayNightScreen::~DayNightScreen() = default;

bool DayNightScreen::OnInitDialog() {
  buttons_.Attach(*this, "Exit", kDayNightExitButton);
  buttons_.Attach(*this, "Compare", kDayNightCompareButton);
  buttons_.Attach(*this, "Help", kDayNightHelpButton);
  buttons_.Attach(*this, "Facts", kDayNightFactsButton);
  for (int id : kClockSelectors) {
    auto& selector = Control<tv::ui::ComboBox>(id);
    selector.ResetContent();
    AddAllPlaces(selector);
  }
  // Sorted, these are "Afghanistan", "Albania" and "Algeria".
  for (int i = 0; i < kClockCount; ++i) Control<tv::ui::ComboBox>(kClockSelectors[i]).SetCurSel(i);
  for (int i = 0; i < kClockCount; ++i) ReadClock(i);
  plot_on_paint_ = true;
  return true;
}

void DayNightScreen::ReadClock(int index) {
  const auto& selector = Control<tv::ui::ComboBox>(kClockSelectors[index]);
  std::u16string& clock = clock_text_[index];
  clock.clear();
  const std::u16string country = selector.GetText(selector.GetCurSel());
  ZoneRecordStore::FormatCountryLocalTime(country, DaylightChangeOf(country), clock);
  if (clock.empty()) clock = kNoZoneRecord;
}

void DayNightScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  // The map is drawn as the main screen draws it, framed by the default pen.
  if (auto map = tv::res::LoadBitmap(kWorldMap)) {
    canvas.SetBrush(tv::gfx::Brush::Pattern(std::move(map)));
  }
  canvas.Rectangle(kMapRect);

  // A clock change repaints only the area below the map and leaves its
  // shading alone. Should the same paint also redraw part of the map (a
  // drop-down list that covered it has closed), that part is shaded again,
  // lest it show day where it is night.
  const bool map_redrawn = !canvas.ClipBox().Intersect(kMapRect).IsEmpty();
  if (plot_on_paint_ || map_redrawn) ShadeNight();
  plot_on_paint_ = true;

  canvas.SetTextColor(tv::gfx::kBlack);
  for (int i = 0; i < kClockCount; ++i) canvas.DrawText(kClockPositions[i], clock_text_[i]);
}

bool DayNightScreen::ShadeNight() {
  tv::gfx::Canvas screen = GetScreenCanvas();
  for (int x = kPlotFirstColumn; x <= kPlotLastColumn; x += kPlotStep) {
    for (int y = kPlotFirstRow; y <= kPlotLastRow; y += kPlotStep) {
      const std::optional<Color> shown = screen.GetPixel({x, y});
      if (!shown) {
        // The message waits until the paint that shades is over, so that no
        // modal run starts inside it. It is told once until the map has
        // been shaded whole again: the repaint of what its own box covered
        // meets the same unreadable pixel while the window over the map
        // stays, and telling again there would bring the box straight back.
        if (!unreadable_told_) {
          unreadable_told_ = true;
          tv::ui::Desktop::Get().PostTask(
              [] { tv::ui::MessageBox(u"ERROR IN PLOT COLORS", u"Terravue"); }, this);
        }
        return false;
      }
      if (ClassifyMapPoint(x, y) != DayNight::kNight) continue;
      if (const std::optional<Color> night = NightColor(*shown)) screen.SetPixel({x, y}, *night);
    }
  }
  unreadable_told_ = false;
  return true;
}

std::vector<std::pair<std::string, std::string>> DayNightScreen::StateForDump() const {
  std::string clocks = "[";
  for (int i = 0; i < kClockCount; ++i) {
    if (i > 0) clocks += ',';
    clocks += tv::ui::JsonQuote(clock_text_[i]);
  }
  clocks += ']';
  return {{"clocks", clocks}, {"plot_on_paint", plot_on_paint_ ? "true" : "false"}};
}

void DayNightScreen::OnCommand(int id, int notification) {
  namespace notify = tv::ui::notify;
  for (int i = 0; i < kClockCount; ++i) {
    if (id != kClockSelectors[i]) continue;
    if (notification != notify::kSelEndOk) return;
    ReadClock(i);
    plot_on_paint_ = false;
    tv::gfx::Rect below_map = ClientRect();
    below_map.top += kMapRect.bottom;
    Invalidate(below_map, true);
    return;
  }
  if (notification != notify::kClicked) return;
  switch (id) {
    case kDayNightCompareButton: GetNavigator().OpenCompare(); break;
    case kDayNightFactsButton: GetNavigator().OpenQuickFacts(); break;
    case kDayNightHelpButton: GetNavigator().OpenHelp(DayNightHelpText()); break;
    case kDayNightExitButton: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

}  // namespace terravue
