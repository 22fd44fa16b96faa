#pragma once

#include <memory>
#include <string>

#include "screens/screen_button_bar.h"
#include "platform/ui/dialog.h"

namespace terravue {

// Control ids of the main screen.
inline constexpr int kInfoButton = 1000;
inline constexpr int kCountryList = 1001;
inline constexpr int kDayNightButton = 1002;
inline constexpr int kCompareButton = 1003;
inline constexpr int kExitButton = 1004;
inline constexpr int kMapButton = 1005;
inline constexpr int kFactsButton = 1006;
inline constexpr int kHelpButton = 1007;
inline constexpr int kRegionSelector = 1009;

inline constexpr int kWorldMapBitmap = 376;
inline constexpr int kProgramIcon = 128;

// The hub: a world map to tap a region on, a region selector, the country
// list of the selected region and the screen buttons.
class MainScreen : public tv::ui::Dialog {
 public:
  MainScreen();
  ~MainScreen() override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnPenDown(tv::gfx::Point p) override;
  void OnCommand(int id, int notification) override;
  void OnCancel() override { EndDialog(tv::ui::kIdOk); }

 private:
  ScreenButtonBar buttons_;
  std::shared_ptr<const tv::gfx::Bitmap> icon_;
  // The installation screen, kept until this screen goes.
  std::unique_ptr<tv::ui::Dialog> install_screen_;
};

// The text the Help button shows.
std::u16string InfoFeaturesText();

}  // namespace terravue
