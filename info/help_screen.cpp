#include "info/help_screen.h"

#include "platform/ui/controls.h"
#include "platform/ui/json.h"

namespace terravue {
namespace {

using tv::ui::ControlKind;
namespace style = tv::ui::style;

constexpr tv::ui::ControlTemplate kControls[] = {
    {kHelpTextBox, ControlKind::kEditBox, 5, 7, 135, 127,
     style::kMultiline | style::kReadOnly | style::kWantReturn | style::kAutoHScroll |
         style::kAutoVScroll | style::kHScroll | style::kVScroll | style::kBorder |
         style::kTabStop},
    {kHelpExitButton, ControlKind::kBitmapButton, 126, 137, 16, 16, 0},
};

constexpr tv::ui::DialogTemplate kTemplate{416, u"Help!", 149, 161, 0, kControls};

}  // namespace

HelpScreen::HelpScreen() : tv::ui::Dialog(kTemplate), buttons_({"Exit"}) {}

std::vector<std::pair<std::string, std::string>> HelpScreen::InputForDump() const {
  return {{"text", tv::ui::JsonQuote(help_text)}};
}

bool HelpScreen::OnInitDialog() {
  buttons_.Attach(*this, "Exit", kHelpExitButton);
  auto& box = Control<tv::ui::EditBox>(kHelpTextBox);
  box.SetText(help_text);
  return true;
}

void HelpScreen::OnPaint(tv::gfx::Canvas& canvas) {
  canvas.FillRect(ClientRect(), tv::gfx::kWhite);
  canvas.SetTextColor(tv::gfx::kBlack);
}

void HelpScreen::OnCommand(int id, int notification) {
  if (id == kHelpExitButton && notification == tv::ui::notify::kClicked) {
    EndDialog(tv::ui::kIdOk);
  }
}

}  // namespace terravue
