#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/ui/dialog.h"
#include "screens/screen_button_bar.h"

namespace terravue {

// Control ids of the Day/Night Plot screen.
inline constexpr int kClock1Selector = 1032;
inline constexpr int kClock2Selector = 1034;
inline constexpr int kClock3Selector = 1036;
inline constexpr int kDayNightFactsButton = 1050;
inline constexpr int kDayNightCompareButton = 1051;
inline constexpr int kDayNightHelpButton = 1052;
inline constexpr int kDayNightExitButton = 1053;

inline constexpr int kClockCount = 3;
// The country selector of each clock, clock 1 first.
inline constexpr std::array<int, kClockCount> kClockSelectors = {kClock1Selector, kClock2Selector,
                                                                 kClock3Selector};

// The colour a displayed map colour takes at night, or nothing for a colour
// the night leaves as it is (black, the grey and silver shadow, and the night
// colours themselves, so shading twice changes nothing). Colours read back
// from a 16-bit display (248 for a full red) darken like their originals.
std::optional<tv::gfx::Color> NightColor(tv::gfx::Color displayed);

// What the Help button shows.
std::u16string DayNightHelpText();

// The world map with the part of the world where it is night now darkened,
// and the local date and time in three countries chosen below it. Changing a
// country repaints only the clocks; the map keeps its shading.
class DayNightScreen : public tv::ui::Dialog {
 public:
  DayNightScreen();
  ~DayNightScreen() override;

  // Darkens every second pixel of every second row of the night side of the
  // map as the window shows it now, reading and writing the window's own
  // pixels. A pixel that cannot be read stops the shading and tells the user
  // (after the current paint, and not again before a whole plot has been
  // shaded); returns whether the whole plot was shaded.
  bool ShadeNight();

  // The three clock texts and whether the next paint shades, for the dump.
  std::vector<std::pair<std::string, std::string>> StateForDump() const override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnCommand(int id, int notification) override;
  void OnCancel() override { EndDialog(tv::ui::kIdOk); }

 private:
  // Recomputes clock `index` (0 to 2) from its selector's chosen country.
  void ReadClock(int index);

  ScreenButtonBar buttons_;
  // Each screen keeps its own clocks, so that a second Day/Night Plot opened
  // above this one (through Compare) leaves them alone.
  std::array<std::u16string, kClockCount> clock_text_;
  // Whether the next paint shades the night side; a clock change repaints
  // below the map only and leaves its shading.
  bool plot_on_paint_ = true;
  // The user has been told of an unreadable pixel since the last whole plot.
  bool unreadable_told_ = false;
};

}  // namespace terravue
