#include "info/compare_screen.h"

#include "db/country_store.h"
#include "info/categories.h"
#include "info/country_info_screen.h"
#include "places/places.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/line_edit.h"
#include "screens/navigator.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;
namespace style = tv::ui::style;

constexpr uint32_t kSelectorStyle = style::kVScroll | style::kTabStop;
constexpr uint32_t kCountryStyle = style::kSorted | style::kVScroll | style::kTabStop;
constexpr uint32_t kValueStyle =
    style::kReadOnly | style::kAutoHScroll | style::kBorder | style::kTabStop;

constexpr tv::ui::ControlTemplate kControls[] = {
    {kCompareCategorySelector, ControlKind::kComboBox, 4, 0, 63, 63, kSelectorStyle},
    {kCompareFeatureSelector, ControlKind::kComboBox, 66, 0, 69, 67, kSelectorStyle},
    {1044, ControlKind::kBitmapButton, 4, 26, 16, 12, 0},
    {1032, ControlKind::kComboBox, 20, 26, 45, 57, kCountryStyle},
    {1033, ControlKind::kLineEdit, 65, 26, 72, 12, kValueStyle},
    {1004, ControlKind::kBitmapButton, 4, 49, 16, 12, 0},
    {1034, ControlKind::kComboBox, 20, 49, 45, 54, kCountryStyle},
    {1035, ControlKind::kLineEdit, 65, 49, 72, 12, kValueStyle},
    {1005, ControlKind::kBitmapButton, 4, 74, 16, 12, 0},
    {1036, ControlKind::kComboBox, 20, 74, 45, 49, kCountryStyle},
    {1037, ControlKind::kLineEdit, 65, 74, 72, 12, kValueStyle},
    {1006, ControlKind::kBitmapButton, 4, 97, 16, 12, 0},
    {1038, ControlKind::kComboBox, 20, 97, 45, 46, kCountryStyle},
    {1039, ControlKind::kLineEdit, 65, 97, 72, 12, kValueStyle},
    {1007, ControlKind::kBitmapButton, 4, 119, 16, 12, 0},
    {1040, ControlKind::kComboBox, 20, 119, 45, 46, kCountryStyle},
    {1041, ControlKind::kLineEdit, 65, 119, 72, 12, kValueStyle},
    {kCompareDayNightButton, ControlKind::kBitmapButton, 5, 141, 16, 16, 0},
    {kCompareFactsButton, ControlKind::kBitmapButton, 24, 141, 16, 16, 0},
    {kCompareHelpButton, ControlKind::kBitmapButton, 43, 141, 16, 16, 0},
    {kCompareExitButton, ControlKind::kBitmapButton, 62, 141, 16, 16, 0},
};

constexpr tv::ui::DialogTemplate kTemplate{kCompareTemplate, u"Compare Countries Info", 137, 158,
                                           0, kControls};

// The text of a selector's current item; empty when none is selected.
std::u16string CurrentText(const tv::ui::ComboBox& selector) {
  return selector.GetText(selector.GetCurSel());
}

}  // namespace

std::u16string CompareHelpText() {
  return u"This screen allows you to compare \r\n the different features of 5 different \r\n "
         u"countries. You can change\r\n the category, feature, country names and\r\n get the "
         u"corresponding value. \r\n";
}

CompareScreen::CompareScreen()
    : tv::ui::Dialog(kTemplate),
      buttons_({"Exit", "Help", "Facts", "Map", "Map", "Map", "Map", "Map", "DayNight"}) {}

CompareScreen::~CompareScreen() = default;

bool CompareScreen::OnInitDialog() {
  buttons_.Attach(*this, "Exit", kCompareExitButton);
  buttons_.Attach(*this, "DayNight", kCompareDayNightButton);
  for (const CompareRow& row : kCompareRows) buttons_.Attach(*this, "Map", row.map_button);
  buttons_.Attach(*this, "Help", kCompareHelpButton);
  buttons_.Attach(*this, "Facts", kCompareFactsButton);

  for (const CompareRow& row : kCompareRows) {
    AddAllPlaces(Control<tv::ui::ComboBox>(row.country_selector));
  }
  for (const CompareRow& row : kCompareRows) {
    Control<tv::ui::ComboBox>(row.country_selector).SetCurSel(0);
  }

  auto& categories = Control<tv::ui::ComboBox>(kCompareCategorySelector);
  for (std::u16string_view category : CategoryTable) categories.AddString(category);
  categories.SetCurSel(0);

  FillFeatureSelector();
  RefreshAllRows();
  return true;
}

void CompareScreen::FillFeatureSelector() {
  const int index = Control<tv::ui::ComboBox>(kCompareCategorySelector).GetCurSel();
  auto& features = Control<tv::ui::ComboBox>(kCompareFeatureSelector);
  features.ResetContent();
  if (index >= 0 && index < kCategoryCount) {
    for (std::u16string_view field : CategoryFieldTable(index)) features.AddString(field);
  }
  features.SetCurSel(0);
}

void CompareScreen::RefreshCompareRow(int row) {
  if (row < 0 || row >= kCompareRowCount) return;
  const CompareRow& controls = kCompareRows[row];
  const std::u16string category = CurrentText(Control<tv::ui::ComboBox>(kCompareCategorySelector));
  const std::u16string feature = CurrentText(Control<tv::ui::ComboBox>(kCompareFeatureSelector));
  const std::u16string country = CurrentText(Control<tv::ui::ComboBox>(controls.country_selector));
  // A missing record leaves the value empty.
  std::u16string value;
  CountryRecordStore::GetCountryField(country, category, feature, value);
  if (category == u"geography" && feature == u"Timezone") value = TimezoneText(country, value);
  Control<tv::ui::LineEdit>(controls.value_box).SetText(value);
}

void CompareScreen::RefreshAllRows() {
  for (int row = 0; row < kCompareRowCount; ++row) RefreshCompareRow(row);
}

void CompareScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
}

void CompareScreen::OnCommand(int id, int notification) {
  namespace notify = tv::ui::notify;
  if (notification == notify::kSelEndOk) {
    if (id == kCompareCategorySelector) {
      FillFeatureSelector();
      RefreshAllRows();
    } else if (id == kCompareFeatureSelector) {
      RefreshAllRows();
    } else {
      for (int row = 0; row < kCompareRowCount; ++row) {
        if (kCompareRows[row].country_selector == id) RefreshCompareRow(row);
      }
    }
    return;
  }
  if (notification != notify::kClicked) return;
  for (const CompareRow& row : kCompareRows) {
    if (row.map_button == id) {
      GetNavigator().OpenCountryMap(CurrentText(Control<tv::ui::ComboBox>(row.country_selector)));
      return;
    }
  }
  switch (id) {
    case kCompareDayNightButton: GetNavigator().OpenDayNight(); break;
    case kCompareFactsButton: GetNavigator().OpenQuickFacts(); break;
    case kCompareHelpButton: GetNavigator().OpenHelp(CompareHelpText()); break;
    case kCompareExitButton: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

}  // namespace terravue
