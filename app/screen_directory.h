#pragma once

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
// Creates and shows the modeless installation screen over `main_screen`.
void ShowInstallScreen(tv::ui::Dialog& main_screen);

}  // namespace terravue
