#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/font.h"
#include "platform/ui/dialog.h"
#include "platform/ui/image_list.h"
#include "screens/screen_button_bar.h"

namespace terravue {

inline constexpr int kCountryInfoTemplate = 392;
inline constexpr int kInfoCategorySelector = 1014;
inline constexpr int kInfoFieldList = 1075;
inline constexpr int kInfoMapButton = 1022;
inline constexpr int kInfoDayNightButton = 1023;
inline constexpr int kInfoFactsButton = 1024;
inline constexpr int kInfoCompareButton = 1025;
inline constexpr int kInfoHelpButton = 1026;
inline constexpr int kInfoExitButton = 1027;

// The field list's row images: a round bullet before each field name and a
// blank before each line of its value, both with white as transparent.
inline constexpr int kBulletBitmap = 425;
inline constexpr int kBlankBitmap = 426;
inline constexpr int kBulletImage = 0;
inline constexpr int kBlankImage = 1;

// Where the title, the capital, the local time and the flag are painted.
inline constexpr int kTitleY = 5;
inline constexpr tv::gfx::Point kCapitalPosition{120, 35};
inline constexpr tv::gfx::Point kLocalTimePosition{120, 47};
inline constexpr tv::gfx::Rect kFlagBox{0, 32, 64, 64};

// The longest line a value is broken into.
inline constexpr size_t kValueLineLength = 32;

// Breaks a field value into lines of at most 32 characters. While more than
// 32 characters are left, the text is broken at the last space at positions
// 1 to 32, the space starting the next line; where there is none there (a
// word of 32 or more characters, or a later line whose only space is its
// leading one) the text is broken hard after 32 characters. The last line
// is what is left, empty for an empty value. The lines joined give the value.
std::vector<std::u16string> WrapValueText(std::u16string_view value);

// The x at which a title of `length` characters is centred on the 240-pixel
// screen, counting 7 pixels a character; 0 when it is wider than that.
int TitleX(size_t length);

// What `country`'s "Timezone" value shows: the zone text of its leading
// decimal number (0 when there is none), daylight time as the country keeps
// it; "N/A" for a number no zone can have.
std::u16string TimezoneText(std::u16string_view country, std::u16string_view value);

// The facts of one country, a category at a time, under its name, capital,
// local time and flag. The opener sets `country_name` before running it.
class CountryInfoScreen : public tv::ui::Dialog {
 public:
  CountryInfoScreen();
  ~CountryInfoScreen() override;

  std::u16string country_name;

  std::vector<std::pair<std::string, std::string>> InputForDump() const override;

  // Rebuilds the field list for the selected category.
  void FillFieldList();

  const std::shared_ptr<const tv::gfx::Font>& TitleFont() const { return title_font_; }
  const std::shared_ptr<const tv::gfx::Font>& DetailFont() const { return detail_font_; }
  // Null when the image list could not be made.
  const tv::ui::ImageList* RowImages() const { return row_images_.get(); }

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnCommand(int id, int notification) override;
  // Makes the row images' list: 16x16, masked, room for none at first,
  // growing by 6. Returns false when it cannot.
  virtual bool CreateRowImages(tv::ui::ImageList& images);

 private:
  ScreenButtonBar buttons_;
  std::shared_ptr<const tv::gfx::Font> title_font_;
  std::shared_ptr<const tv::gfx::Font> detail_font_;
  std::unique_ptr<tv::ui::ImageList> row_images_;
};

}  // namespace terravue
