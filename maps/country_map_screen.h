#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "maps/distance_tool.h"
#include "platform/gfx/font.h"
#include "platform/ui/dialog.h"
#include "screens/map_view.h"

namespace terravue {

inline constexpr int kCountryMapTemplate = 382;
inline constexpr int kCountryMapToolbar = 421;

// Menu and toolbar commands of the country map besides the zoom commands.
inline constexpr int kMapHelpCommand = 32785;
inline constexpr int kMapExitCommand = 32786;
inline constexpr int kCountryInfoCommand = 32788;
inline constexpr int kDistanceCommand = 32789;
inline constexpr int kKmsCommand = 32792;
inline constexpr int kMilesCommand = 32793;

// The map of one place, scrolled with the window's bars, zoomed in and out
// in steps of 1.3 between half and twice its natural size, with a tool that
// measures a path tapped on it. Zooming out past the limit opens the map of
// the place's region. The opener sets `country` before running it.
class CountryMapScreen : public tv::ui::Dialog {
 public:
  CountryMapScreen();

  std::u16string country;
  // Where the map images are; empty for the program's own maps folder.
  std::filesystem::path maps_folder;

  const MapView& View() const { return map_; }
  const DistanceState& Distance() const { return tool_.State(); }
  bool HasGeoreference() const { return tool_.HasGeoreference(); }

  std::vector<std::pair<std::string, std::string>> InputForDump() const override;
  std::vector<std::pair<std::string, std::string>> StateForDump() const override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnPenUp(tv::gfx::Point p) override;
  void OnCommand(int id, int notification) override;
  void OnMenuOpening(int menu) override;
  void OnScroll(tv::ui::ScrollOrientation bar, tv::ui::ScrollCode code, int pos) override;
  void OnCancel() override { EndDialog(tv::ui::kIdOk); }

 private:
  // Builds the command bar: the "Distance" menu and toolbar 421.
  void CreateCommandBar();
  // Reads the scale and the map; false (the user told) when the screen
  // cannot show the place.
  bool LoadMap();
  void ZoomIn();
  void ZoomOut();
  void PressDistance();
  // The Distance button shows pressed exactly while the tool is on; the
  // screen, not the command bar, decides.
  void ShowDistanceButton();
  void ChooseUnit(bool kilometres);
  // Draws what a tap of the distance tool adds, straight onto the window.
  void DrawTap(DistanceTool::TapResult result, tv::gfx::Point previous, tv::gfx::Point p);

  MapView map_;
  DistanceTool tool_;
  std::shared_ptr<const tv::gfx::Font> label_font_;
};

// The text the Help command shows.
std::u16string_view CountryMapHelpText();

}  // namespace terravue
