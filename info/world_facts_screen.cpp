#include "info/world_facts_screen.h"

#include "screens/navigator.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;

constexpr tv::ui::ControlTemplate kControls[] = {
    {kFactsDayNightButton, ControlKind::kBitmapButton, 3, 139, 16, 16, 0},
    {kFactsCompareButton, ControlKind::kBitmapButton, 22, 139, 16, 16, 0},
    {kFactsExitButton, ControlKind::kBitmapButton, 41, 139, 16, 16, 0},
};

constexpr tv::ui::DialogTemplate kTemplate{kWorldFactsTemplate, u"Quick World Facts", 133, 158,
                                           0, kControls};

}  // namespace

const std::array<WorldFact, kWorldFactCount> WorldFactsTable = {{
    {u"Largest Country:", u"Russia"},
    {u"Smallest Country:", u"Vatican City"},
    {u"Most Populous Country:", u"China"},
    {u"Most Populous City:", u"Bombay,India"},
    {u"Most Visited Country:", u"France"},
    {u"Highest Population Density:", u"Monaco"},
    {u"Lowest Population Density:", u"West. Sahara"},
    {u"Highest Inflation:", u"Congo, D.R."},
    {u"Lowest Inflation:", u"Nauru"},
    {u"Highest Life Expectancy:", u"Andorra"},
    {u"Lowest Life Expectancy:", u"Botswana"},
    {u"Lowest Literacy Rate:", u"Burkina Faso"},
}};

WorldFactsScreen::WorldFactsScreen()
    : tv::ui::Dialog(kTemplate), buttons_({"Exit", "Compare", "DayNight"}) {}

WorldFactsScreen::~WorldFactsScreen() = default;

bool WorldFactsScreen::OnInitDialog() {
  buttons_.Attach(*this, "Exit", kFactsExitButton);
  buttons_.Attach(*this, "DayNight", kFactsDayNightButton);
  buttons_.Attach(*this, "Compare", kFactsCompareButton);
  title_font_ = tv::gfx::Font::Get({"Verdana", 16, tv::gfx::kWeightBold});
  row_font_ = tv::gfx::Font::Get({"Verdana", 10, tv::gfx::kWeightNormal});
  return true;
}

void WorldFactsScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  // Texts fill their cells with the default white background.
  canvas.SetTextColor(tv::gfx::kBlack);
  canvas.SetFont(title_font_);
  canvas.DrawText(kWorldFactsTitlePosition, u"World Facts");
  canvas.SetFont(row_font_);
  for (int i = 0; i < kWorldFactCount; ++i) {
    const int y = kWorldFactsFirstRowY + kWorldFactsRowStep * i;
    canvas.SetTextColor(kWorldFactsLabelColor);
    canvas.DrawText({kWorldFactsLabelX, y}, WorldFactsTable[i].label);
    canvas.SetTextColor(kWorldFactsValueColor);
    canvas.DrawText({kWorldFactsValueX, y}, WorldFactsTable[i].value);
  }
}

void WorldFactsScreen::OnCommand(int id, int notification) {
  if (notification != tv::ui::notify::kClicked) return;
  switch (id) {
    case kFactsCompareButton: GetNavigator().OpenCompare(); break;
    case kFactsDayNightButton: GetNavigator().OpenDayNight(); break;
    case kFactsExitButton: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

}  // namespace terravue
