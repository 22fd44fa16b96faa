#pragma once

#include "platform/ui/dialog.h"

namespace terravue {

// "Installation In Progress": shown over the main screen at every start. Its
// first paint builds the zone and country databases from their text files
// when they are missing, showing each country as it loads, and then closes
// the screen; when both exist it closes at once.
class InstallScreen : public tv::ui::Dialog {
 public:
  InstallScreen();

 protected:
  void OnPaint(tv::gfx::Canvas& canvas) override;

 private:
  bool imported_ = false;
};

}  // namespace terravue
