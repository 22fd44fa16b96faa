#pragma once

#include <string>

#include "screens/screen_button_bar.h"
#include "platform/ui/dialog.h"

namespace terravue {

inline constexpr int kHelpTextBox = 1063;
inline constexpr int kHelpExitButton = 1064;

// Shows one help text in a read-only box that scrolls both ways, with an
// Exit button. The opener sets `help_text` before running it.
class HelpScreen : public tv::ui::Dialog {
 public:
  HelpScreen();

  std::u16string help_text;

  std::vector<std::pair<std::string, std::string>> InputForDump() const override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
  void OnCommand(int id, int notification) override;

 private:
  ScreenButtonBar buttons_;
};

}  // namespace terravue
