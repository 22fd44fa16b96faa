#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/geometry.h"
#include "platform/ui/dialog.h"
#include "screens/screen_button_bar.h"

namespace terravue {

// Control ids of the Continent Map screen.
inline constexpr int kContinentCountryCombo = 1001;
inline constexpr int kContinentExitButton = 1017;
inline constexpr int kContinentHelpButton = 1018;
inline constexpr int kContinentDayNightButton = 1019;
inline constexpr int kContinentFactsButton = 1020;
inline constexpr int kContinentCompareButton = 1021;

// One region's map as the map screens show it: the bitmap resource and the
// part of it, from its top-left corner, that is shown and tapped.
struct RegionMap {
  int bitmap;
  int width;
  int height;
};

// The map of region 0 to 6; the region must be valid.
const RegionMap& RegionMapOf(int region);
bool IsMapRegion(int region);

// The region's map, on which a tap picks a country by its colour, a selector
// of all the region's places, and five screen buttons. The opener sets
// `region` (0 to 6) before running it.
class ContinentMapScreen : public tv::ui::Dialog {
 public:
  ContinentMapScreen();

  int32_t region = 0;

  std::vector<std::pair<std::string, std::string>> InputForDump() const override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnPenDown(tv::gfx::Point p) override;
  void OnCommand(int id, int notification) override;
  void OnCancel() override { EndDialog(tv::ui::kIdOk); }

 private:
  // The row of the region's mapped places under a tap, -1 when the tap hits
  // none, or kTapIgnored when it lies beyond the map or its pixel cannot be
  // read back.
  static constexpr int kTapIgnored = -2;
  int HitTest(tv::gfx::Point p);

  ScreenButtonBar buttons_;
};

// The text the Help button shows.
std::u16string ContinentMapHelpText();

}  // namespace terravue
