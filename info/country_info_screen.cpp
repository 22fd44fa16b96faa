#include "info/country_info_screen.h"

#include <algorithm>
#include <cstdint>

#include "db/country_store.h"
#include "db/line_reader.h"
#include "db/text_bounds.h"
#include "db/zone_store.h"
#include "info/categories.h"
#include "info/glossary.h"
#include "places/daylight_changes.h"
#include "platform/base/utf.h"
#include "platform/resources/resources.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/json.h"
#include "platform/ui/list_view.h"
#include "platform/ui/message_box.h"
#include "screens/navigator.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;
namespace style = tv::ui::style;

constexpr tv::ui::ControlTemplate kControls[] = {
    {kInfoCategorySelector, ControlKind::kComboBox, 1, 46, 129, 85,
     style::kVScroll | style::kTabStop},
    {kInfoFieldList, ControlKind::kListView, 2, 59, 134, 76, style::kBorder | style::kTabStop},
    {kInfoMapButton, ControlKind::kBitmapButton, 0, 139, 16, 16, 0},
    {kInfoDayNightButton, ControlKind::kBitmapButton, 19, 139, 16, 16, 0},
    {kInfoFactsButton, ControlKind::kBitmapButton, 38, 139, 16, 16, 0},
    {kInfoCompareButton, ControlKind::kBitmapButton, 57, 139, 16, 16, 0},
    {kInfoHelpButton, ControlKind::kBitmapButton, 76, 139, 16, 16, 0},
    {kInfoExitButton, ControlKind::kBitmapButton, 95, 139, 16, 16, 0},
};

constexpr tv::ui::DialogTemplate kTemplate{kCountryInfoTemplate, u"Country Info", 143, 158, 0,
                                           kControls};

constexpr int kScreenWidth = 240;
constexpr int kCharWidth = 7;
constexpr std::u16string_view kNotAvailable = u"N/A";
constexpr std::u16string_view kProgramName = u"Terravue";

constexpr int kImageSide = 16;

std::u16string Field(std::u16string_view country, std::u16string_view category,
                     std::u16string_view field) {
  std::u16string value;
  CountryRecordStore::GetCountryField(country, category, field, value);
  return value;
}

}  // namespace

std::vector<std::u16string> WrapValueText(std::u16string_view value) {
  std::vector<std::u16string> lines;
  while (value.size() > kValueLineLength) {
    // The last space at positions 1 to 32; a space at 0 would give an empty
    // line and leave the text as it was.
    size_t p = value.substr(0, kValueLineLength + 1).rfind(u' ');
    if (p == std::u16string_view::npos || p == 0) p = kValueLineLength;
    lines.emplace_back(value.substr(0, p));
    value.remove_prefix(p);
  }
  lines.emplace_back(value);
  return lines;
}

int TitleX(size_t length) {
  const int characters = static_cast<int>(std::min(length, kTextBufferChars));
  return std::max(0, (kScreenWidth - kCharWidth * characters) / 2);
}

std::u16string TimezoneText(std::u16string_view country, std::u16string_view value) {
  const long number = ParseLong(value);
  // A number no 16-bit zone number can equal names no zone, as a missing
  // zone does; it is never wrapped onto another zone's number.
  if (number < INT16_MIN || number > INT16_MAX) return std::u16string(kNotAvailable);
  std::u16string text;
  ZoneRecordStore::FormatZoneOffset(static_cast<int16_t>(number), DaylightChangeOf(country), text);
  return text;
}

CountryInfoScreen::CountryInfoScreen()
    : tv::ui::Dialog(kTemplate),
      buttons_({"Exit", "Help", "Facts", "Map", "Compare", "DayNight"}) {}

CountryInfoScreen::~CountryInfoScreen() = default;

std::vector<std::pair<std::string, std::string>> CountryInfoScreen::InputForDump() const {
  return {{"country", tv::ui::JsonQuote(country_name)}};
}

bool CountryInfoScreen::CreateRowImages(tv::ui::ImageList& images) {
  return images.Create(kImageSide, kImageSide, true);
}

bool CountryInfoScreen::OnInitDialog() {
  country_name = BoundedText(country_name);
  std::u16string capital;
  if (!CountryRecordStore::GetCountryField(country_name, u"government", u"capital", capital)) {
    tv::ui::MessageBox(u"Country Info not found in Database", kProgramName);
    // The screen closes once initialisation is over.
    EndDialog(tv::ui::kIdCancel);
  }

  buttons_.Attach(*this, "Exit", kInfoExitButton);
  buttons_.Attach(*this, "DayNight", kInfoDayNightButton);
  buttons_.Attach(*this, "Compare", kInfoCompareButton);
  buttons_.Attach(*this, "Map", kInfoMapButton);
  buttons_.Attach(*this, "Help", kInfoHelpButton);
  buttons_.Attach(*this, "Facts", kInfoFactsButton);

  auto& selector = Control<tv::ui::ComboBox>(kInfoCategorySelector);
  for (std::u16string_view category : CategoryTable) selector.AddString(category);
  selector.SetCurSel(0);

  title_font_ = tv::gfx::Font::Get({"Verdana", 12, tv::gfx::kWeightBold});
  detail_font_ = tv::gfx::Font::Get({"Verdana", 10, tv::gfx::kWeightBold});

  auto images = std::make_unique<tv::ui::ImageList>();
  if (!CreateRowImages(*images)) {
    tv::ui::MessageBox(u"Error Displaying Info", kProgramName);
    return false;
  }
  row_images_ = std::move(images);
  const auto bullet = tv::res::LoadBitmap(kBulletBitmap);
  row_images_->AddMasked(bullet.get(), tv::gfx::kWhite);
  const auto blank = tv::res::LoadBitmap(kBlankBitmap);
  row_images_->AddMasked(blank.get(), tv::gfx::kWhite);
  Control<tv::ui::ListView>(kInfoFieldList).SetImageList(row_images_.get());

  FillFieldList();
  return true;
}

void CountryInfoScreen::FillFieldList() {
  const int index = Control<tv::ui::ComboBox>(kInfoCategorySelector).GetCurSel();
  auto& list = Control<tv::ui::ListView>(kInfoFieldList);
  list.DeleteAllItems();
  if (index < 0 || index >= kCategoryCount) return;
  const std::u16string_view category = CategoryTable[index];
  for (std::u16string_view field : CategoryFieldTable(index)) {
    std::u16string value;
    if (!CountryRecordStore::GetCountryField(country_name, category, field, value)) continue;
    if (index == 0 && field == u"Timezone") value = TimezoneText(country_name, value);
    list.InsertItem(list.Count(), field, kBulletImage);
    for (const std::u16string& line : WrapValueText(value)) {
      list.InsertItem(list.Count(), line, kBlankImage);
    }
  }
}

void CountryInfoScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  const std::u16string capital = Field(country_name, u"government", u"capital");
  std::u16string local_time;
  ZoneRecordStore::FormatCountryLocalTime(country_name, DaylightChangeOf(country_name), local_time);

  // Texts fill their cells with the default white background. A text that
  // would run off the screen ends at its last whole word with an ellipsis;
  // the list keeps it whole.
  canvas.SetTextColor(tv::gfx::kBlack);
  canvas.SetFont(title_font_);
  canvas.DrawTextWithin({TitleX(country_name.size()), kTitleY}, country_name, kScreenWidth);
  canvas.SetFont(detail_font_);
  if (capital != kNotAvailable) canvas.DrawTextWithin(kCapitalPosition, capital, kScreenWidth);
  if (local_time != kNotAvailable) {
    canvas.DrawTextWithin(kLocalTimePosition, local_time, kScreenWidth);
  }

  const std::u16string flag = Field(country_name, u"geography", u"flag");
  if (flag.empty() || flag == kNotAvailable) return;
  const std::string name = tv::Utf16ToUtf8(flag) + "_Flag";
  if (auto bitmap = tv::res::LoadBitmap(name)) {
    // The pattern starts at the window's corner, so a flag narrower than the
    // box repeats from its left edge; the default pen frames the box.
    canvas.SetBrush(tv::gfx::Brush::Pattern(std::move(bitmap)));
    canvas.SetPen({});
    canvas.Rectangle(kFlagBox);
  }
}

void CountryInfoScreen::OnCommand(int id, int notification) {
  namespace notify = tv::ui::notify;
  if (id == kInfoCategorySelector) {
    if (notification == notify::kSelEndOk) FillFieldList();
    return;
  }
  if (notification != notify::kClicked) return;
  switch (id) {
    case kInfoMapButton: GetNavigator().OpenCountryMap(country_name); break;
    case kInfoDayNightButton: GetNavigator().OpenDayNight(); break;
    case kInfoFactsButton: GetNavigator().OpenQuickFacts(); break;
    case kInfoCompareButton: GetNavigator().OpenCompare(); break;
    case kInfoHelpButton: GetNavigator().OpenHelp(GlossaryText()); break;
    case kInfoExitButton: EndDialog(tv::ui::kIdOk); break;
    default: break;
  }
}

}  // namespace terravue
