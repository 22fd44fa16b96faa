#pragma once

#include <string_view>

#include "db/country_import.h"
#include "platform/ui/dialog.h"

namespace terravue {

// "Installation In Progress": shown over the main screen at every start.
// Once the event loop runs, it shows itself, builds the zone and country
// databases from their installation files when they are missing, showing
// each country as it loads, and closes; when both exist it closes at once.
// An import that failed is told after it has closed.
class InstallScreen : public tv::ui::Dialog, public ImportProgress {
 public:
  InstallScreen();

  // Both imports, then the close; initialisation posts it.
  void Install();
  // Draws "Loading <country>" over the previous line and shows it.
  void CountryLoaded(std::u16string_view country) override;

 protected:
  bool OnInitDialog() override;
  void OnPaint(tv::gfx::Canvas& canvas) override;
};

}  // namespace terravue
