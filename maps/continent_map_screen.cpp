#include "maps/continent_map_screen.h"

#include <optional>

#include "places/places.h"
#include "platform/base/check.h"
#include "platform/resources/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/message_box.h"
#include "screens/navigator.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;
namespace style = tv::ui::style;

constexpr RegionMap kRegionMaps[kRegionCount] = {
    {384, 240, 240},  // Africa
    {385, 240, 240},  // Asia
    {386, 240, 184},  // Australia
    {387, 240, 222},  // Europe
    {390, 240, 173},  // Middle East
    {388, 240, 212},  // North America
    {389, 154, 240},  // South America
};

constexpr tv::ui::ControlTemplate kControls[] = {
    {kContinentCountryCombo, ControlKind::kComboBox, 0, 137, 57, 47,
     style::kSorted | style::kVScroll | style::kTabStop},
    {kContinentDayNightButton, ControlKind::kBitmapButton, 62, 139, 16, 16, 0},
    {kContinentFactsButton, ControlKind::kBitmapButton, 78, 139, 16, 16, 0},
    {kContinentCompareButton, ControlKind::kBitmapButton, 94, 139, 16, 16, 0},
    {kContinentHelpButton, ControlKind::kBitmapButton, 110, 139, 16, 16, 0},
    {kContinentExitButton, ControlKind::kBitmapButton, 126, 139, 16, 16, 0},
};

constexpr tv::ui::DialogTemplate kTemplate{383, u"Continent Map", 143, 158, 0, kControls};

constexpr std::u16string_view kMissedText = u"Didn't get your selection! please try again";

}  // namespace

bool IsMapRegion(int region) { return region >= 0 && region < kRegionCount; }

const RegionMap& RegionMapOf(int region) {
  TV_CHECK(IsMapRegion(region));
  return kRegionMaps[region];
}

ContinentMapScreen::ContinentMapScreen()
    : tv::ui::Dialog(kTemplate), buttons_({"Exit", "Help", "Facts", "Compare", "DayNight"}) {}

std::vector<std::pair<std::string, std::string>> ContinentMapScreen::InputForDump() const {
  return {{"region", std::to_string(region)}};
}

bool ContinentMapScreen::OnInitDialog() {
  buttons_.Attach(*this, "DayNight", kContinentDayNightButton);
  buttons_.Attach(*this, "Facts", kContinentFactsButton);
  buttons_.Attach(*this, "Compare", kContinentCompareButton);
  buttons_.Attach(*this, "Help", kContinentHelpButton);
  buttons_.Attach(*this, "Exit", kContinentExitButton);

  // Every place of the region, mapped or not; the combo sorts them.
  auto& combo = Control<tv::ui::ComboBox>(kContinentCountryCombo);
  if (IsMapRegion(region)) {
    for (const MapHitRow& row : RegionCountries(region).rows) combo.AddString(row.name);
  }
  combo.SetCurSel(0);
  return true;
}

void ContinentMapScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  if (!IsMapRegion(region)) return;
  const RegionMap& map = RegionMapOf(region);
  // The bitmap fills the rectangle through a pattern brush aligned with the
  // window, so its top-left pixel is the window's (0, 0) and the default pen
  // frames it in black.
  if (auto bitmap = tv::res::LoadBitmap(map.bitmap)) {
    canvas.SetBrush(tv::gfx::Brush::Pattern(std::move(bitmap)));
  }
  canvas.Rectangle({0, 0, map.width, map.height});
}

int ContinentMapScreen::HitTest(tv::gfx::Point p) {
  if (!IsMapRegion(region)) return kTapIgnored;
  const RegionMap& map = RegionMapOf(region);
  if (p.x > map.width || p.y > map.height) return kTapIgnored;
  const std::optional<tv::gfx::Color> pixel = GetScreenCanvas().GetPixel(p);
  if (!pixel) return kTapIgnored;
  return HitTestRegionMap(region, NormalizePixelColor(*pixel), p);
}

void ContinentMapScreen::OnPenDown(tv::gfx::Point p) {
  const int row = HitTest(p);
  if (row == kTapIgnored) return;
  tv::ui::Dialog::OnPenDown(p);
  if (row >= 0) {
    GetNavigator().OpenCountryMap(RegionCountries(region).rows[row].name);
  } else {
    tv::ui::MessageBox(kMissedText, u"Terravue");
  }
}

void ContinentMapScreen::OnCommand(int id, int notification) {
  namespace notify = tv::ui::notify;
  if (id == kContinentCountryCombo && notification == notify::kSelEndOk) {
    const auto& combo = Control<tv::ui::ComboBox>(kContinentCountryCombo);
    const int index = combo.GetCurSel();
    if (index >= 0) GetNavigator().OpenCountryMap(combo.GetText(index));
    return;
  }
  if (notification != notify::kClicked) return;
  switch (id) {
    case kContinentDayNightButton: GetNavigator().OpenDayNight(); break;
    case kContinentFactsButton: GetNavigator().OpenQuickFacts(); break;
    case kContinentCompareButton: GetNavigator().OpenCompare(); break;
    case kContinentHelpButton: GetNavigator().OpenHelp(ContinentMapHelpText()); break;
    case kContinentExitButton: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

std::u16string ContinentMapHelpText() {
  return u"This screen helps you select a country\r\n"
         u"from a specific continent.  You can \r\n"
         u"either tap on the map for the country \r\n"
         u"you like or select one of the countries \r\n"
         u"from the list in the bottom of the \r\n"
         u"screen.  Not all the continent \r\n"
         u"countries are shown on the map \r\n"
         u"for space limitations";
}

}  // namespace terravue
