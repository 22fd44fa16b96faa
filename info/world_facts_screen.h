#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "platform/gfx/font.h"
#include "platform/ui/dialog.h"
#include "screens/screen_button_bar.h"

namespace terravue {

inline constexpr int kWorldFactsTemplate = 395;
inline constexpr int kFactsDayNightButton = 1046;
inline constexpr int kFactsCompareButton = 1047;
inline constexpr int kFactsExitButton = 1049;

struct WorldFact {
  std::u16string_view label;
  std::u16string_view value;
};
inline constexpr int kWorldFactCount = 12;
// The page of world records, in display order.
extern const std::array<WorldFact, kWorldFactCount> WorldFactsTable;

// Where the page is painted: the title, then a row every 15 pixels from
// y = 40, labels at x = 10 and values at x = 160.
inline constexpr tv::gfx::Point kWorldFactsTitlePosition{60, 5};
inline constexpr int kWorldFactsFirstRowY = 40;
inline constexpr int kWorldFactsRowStep = 15;
inline constexpr int kWorldFactsLabelX = 10;
inline constexpr int kWorldFactsValueX = 160;
inline constexpr tv::gfx::Color kWorldFactsLabelColor{128, 0, 0};
inline constexpr tv::gfx::Color kWorldFactsValueColor{0, 0, 128};

// A fixed page of twelve world records, painted from WorldFactsTable.
class WorldFactsScreen : public tv::ui::Dialog {
 public:
  WorldFactsScreen();
  ~WorldFactsScreen() override;

  // The two fonts, made once when the screen is initialised and kept for
  // every paint.
  const std::shared_ptr<const tv::gfx::Font>& TitleFont() const { return title_font_; }
  const std::shared_ptr<const tv::gfx::Font>& RowFont() const { return row_font_; }

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnCommand(int id, int notification) override;

 private:
  ScreenButtonBar buttons_;
  std::shared_ptr<const tv::gfx::Font> title_font_;
  std::shared_ptr<const tv::gfx::Font> row_font_;
};

}  // namespace terravue
