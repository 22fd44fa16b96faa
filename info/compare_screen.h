#pragma once

#include <array>
#include <string>

#include "platform/ui/dialog.h"
#include "screens/screen_button_bar.h"

namespace terravue {

inline constexpr int kCompareTemplate = 394;
inline constexpr int kCompareCategorySelector = 1045;
inline constexpr int kCompareFeatureSelector = 1046;
inline constexpr int kCompareDayNightButton = 1031;
inline constexpr int kCompareFactsButton = 1030;
inline constexpr int kCompareHelpButton = 1029;
inline constexpr int kCompareExitButton = 1028;

// The five rows: a map button, a country selector and a value box each.
struct CompareRow {
  int map_button;
  int country_selector;
  int value_box;
};
inline constexpr int kCompareRowCount = 5;
inline constexpr std::array<CompareRow, kCompareRowCount> kCompareRows = {{
    {1044, 1032, 1033},
    {1004, 1034, 1035},
    {1005, 1036, 1037},
    {1006, 1038, 1039},
    {1007, 1040, 1041},
}};

// The text the Help button shows.
std::u16string CompareHelpText();

// One feature of five countries side by side: a category and a feature at
// the top, and a row per country with its value in a box that scrolls
// sideways.
class CompareScreen : public tv::ui::Dialog {
 public:
  CompareScreen();
  ~CompareScreen() override;

  // Refills the feature selector with the selected category's fields and
  // selects the first.
  void FillFeatureSelector();
  // Shows row `row`'s (0 to 4) country's value of the selected feature.
  void RefreshCompareRow(int row);

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnCommand(int id, int notification) override;

 private:
  void RefreshAllRows();

  ScreenButtonBar buttons_;
};

}  // namespace terravue
