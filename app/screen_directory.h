#pragma once

#include <memory>
#include <string_view>

namespace tv::ui {
class Dialog;
}

namespace terravue {

// Every screen is opened through these functions: each constructs its
// screen with no parent, gives it its input, runs it modally and destroys it
// when it returns. Screens above the main screen's layer are reached only
// through here, so that the layers depend downwards.
void OpenContinentMap(int region);
void OpenCountryMap(std::u16string_view country);
void OpenCountryInfo(std::u16string_view country);
void OpenDayNight();
void OpenCompare();
void OpenQuickFacts();
void OpenHelp(std::u16string_view text);
// Creates and shows the modeless installation screen, which imports the
// databases at its first paint and then closes itself. The caller keeps it
// until the caller goes; null when it could not be made (the user has been
// told).
std::unique_ptr<tv::ui::Dialog> ShowInstallScreen();

}  // namespace terravue
