#include "app/main_screen.h"

#include "places/places.h"
#include "screens/navigator.h"
#include "platform/resources/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"
#include "platform/ui/message_box.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;
using tv::ui::ControlTemplate;
namespace style = tv::ui::style;

constexpr uint32_t kButtonStyle = 0;
constexpr ControlTemplate kControls[] = {
    {kRegionSelector, ControlKind::kComboBox, 55, 70, 82, 30,
     style::kSorted | style::kVScroll | style::kTabStop},
    {kCountryList, ControlKind::kListBox, 0, 84, 137, 52,
     style::kSorted | style::kNotify | style::kNoIntegralHeight | style::kBorder |
         style::kVScroll | style::kTabStop},
    {kInfoButton, ControlKind::kBitmapButton, 4, 139, 16, 16, kButtonStyle},
    {kMapButton, ControlKind::kBitmapButton, 23, 139, 16, 16, kButtonStyle},
    {kDayNightButton, ControlKind::kBitmapButton, 42, 139, 16, 16, kButtonStyle},
    {kFactsButton, ControlKind::kBitmapButton, 61, 139, 16, 16, kButtonStyle},
    {kCompareButton, ControlKind::kBitmapButton, 80, 139, 16, 16, kButtonStyle},
    {kHelpButton, ControlKind::kBitmapButton, 99, 139, 16, 16, kButtonStyle},
    {kExitButton, ControlKind::kBitmapButton, 118, 139, 16, 16, kButtonStyle},
};

constexpr tv::ui::DialogTemplate kTemplate{
    102, u"Terravue", 144, 155,
    tv::ui::dialog_style::kOkButton | tv::ui::dialog_style::kAppWindow, kControls};

constexpr tv::gfx::Rect kMapRect{0, 0, 240, 120};

}  // namespace

MainScreen::MainScreen()
    : tv::ui::Dialog(kTemplate),
      buttons_({"Exit", "Help", "Facts", "Info", "Map", "Compare", "DayNight"}),
      icon_(tv::res::LoadIcon(kProgramIcon)) {}

MainScreen::~MainScreen() = default;

bool MainScreen::OnInitDialog() {
  if (icon_ != nullptr) tv::ui::Desktop::Get().GetBackend().SetIcon(*icon_);
  buttons_.Attach(*this, "Exit", kExitButton);
  buttons_.Attach(*this, "Info", kInfoButton);
  buttons_.Attach(*this, "DayNight", kDayNightButton);
  buttons_.Attach(*this, "Compare", kCompareButton);
  buttons_.Attach(*this, "Map", kMapButton);
  buttons_.Attach(*this, "Help", kHelpButton);
  buttons_.Attach(*this, "Facts", kFactsButton);

  install_screen_ = GetNavigator().ShowInstallScreen();

  auto& selector = Control<tv::ui::ComboBox>(kRegionSelector);
  for (const MapHitRow& region : RegionTable) selector.AddString(region.name);
  selector.SetCurSel(kWorldCountries);
  FillRegionCountries(selector.GetCurSel(), Control<tv::ui::ListBox>(kCountryList));
  return true;
}

void MainScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  canvas.SetTextColor(tv::gfx::kRed);
  // The map is drawn through a pattern brush aligned with the window, so the
  // rectangle's default black pen frames it.
  if (auto map = tv::res::LoadBitmap(kWorldMapBitmap)) {
    canvas.SetBrush(tv::gfx::Brush::Pattern(std::move(map)));
  }
  canvas.Rectangle(kMapRect);
  canvas.DrawText({10, 124}, u"Select Region:");
}

void MainScreen::OnPenDown(tv::gfx::Point p) {
  if (p.x > kMapRect.right || p.y > kMapRect.bottom) return;
  const std::optional<tv::gfx::Color> pixel = GetScreenCanvas().GetPixel(p);
  if (!pixel) return;
  std::u16string name;
  const int region = HitTestRegion(NormalizePixelColor(*pixel), p.x, name);
  if (region == kNoRegion) {
    tv::ui::MessageBox(u"Didn't get your selection, please try once again!", u"Terravue");
  }
  if (!name.empty()) GetNavigator().OpenContinentMap(region);
}

void MainScreen::OnCommand(int id, int notification) {
  namespace notify = tv::ui::notify;
  if (id == kRegionSelector && notification == notify::kSelEndOk) {
    auto& list = Control<tv::ui::ListBox>(kCountryList);
    list.ResetContent();
    FillRegionCountries(Control<tv::ui::ComboBox>(kRegionSelector).GetCurSel(), list);
    return;
  }
  if (id == kCountryList && notification == notify::kSelChange) {
    const auto& list = Control<tv::ui::ListBox>(kCountryList);
    const int index = list.GetCurSel();
    if (index >= 0) GetNavigator().OpenCountryMap(list.GetText(index));
    return;
  }
  if (notification != notify::kClicked) return;
  switch (id) {
    case kInfoButton: GetNavigator().OpenCountryInfo(u"World"); break;
    case kMapButton: GetNavigator().OpenCountryMap(u"World"); break;
    case kDayNightButton: GetNavigator().OpenDayNight(); break;
    case kFactsButton: GetNavigator().OpenQuickFacts(); break;
    case kCompareButton: GetNavigator().OpenCompare(); break;
    case kHelpButton: GetNavigator().OpenHelp(InfoFeaturesText()); break;
    case kExitButton: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

std::u16string InfoFeaturesText() {
  static constexpr std::u16string_view kFirst =
      u"Terravue is the one application \r\n"
      u"that puts the whole world in your \r\n"
      u"pocket\r\n"
      u"\r\n"
      u"The main features of Terravue are:\r\n"
      u"\r\n"
      u" 1. It contains 261 different regions \r\n"
      u"including countries, islands and oceans\r\n"
      u"\r\n"
      u" 2. You can tap on the world map \r\n"
      u"which will carry you to a more detailed \r\n"
      u"map for the chosen continent\r\n"
      u"\r\n"
      u" 3. You can also select one of the \r\n"
      u"countries from the list to get its map \r\n"
      u"and information\r\n"
      u"\r\n"
      u" 4. You can get the World Info by \r\n"
      u"clicking the info button towards the \r\n"
      u"bottom of the screen\r\n"
      u"\r\n"
      u" 5. You can see a world map by clicking \r\n"
      u"the map button.  The map screen will \r\n"
      u"allow you to compute the distance \r\n"
      u"between any two places, zoom in/out\r\n"
      u"\r\n";
  static constexpr std::u16string_view kSecond =
      u" 6. You can view a day/night plot of the \r\n"
      u"world as well as the current time in \r\n"
      u"three different countries using the clock button\r\n"
      u"\r\n"
      u" 7. You can compare country features \r\n"
      u"for five countries simultaneously\r\n"
      u"\r\n"
      u" 8. You can view some of the world's \r\n"
      u"quick statistics using the light button\r\n"
      u"\r\n"
      u" Disclaimer:\r\n"
      u"\r\n"
      u" The information provided hereby is \r\n"
      u" only for reference.  We are not \r\n"
      u" responsible for any decisions or projects \r\n"
      u" you might undertake based on this\r\n"
      u" information!";
  return std::u16string(kFirst) + std::u16string(kSecond);
}

}  // namespace terravue
