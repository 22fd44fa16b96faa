#pragma once

#include "screens/navigator.h"

namespace terravue {

// The one navigator that knows every screen: it constructs each with no
// parent, gives it its input, runs it modally and destroys it on return.
// Screens that are not part of the program yet say so instead of opening.
class AppNavigator : public Navigator {
 public:
  void OpenContinentMap(int region) override;
  void OpenReferenceMap(int region) override;
  void OpenCountryMap(std::u16string_view country) override;
  void OpenCountryInfo(std::u16string_view country) override;
  void OpenDayNight() override;
  void OpenCompare() override;
  void OpenQuickFacts() override;
  void OpenHelp(std::u16string_view text) override;
  std::unique_ptr<tv::ui::Dialog> ShowInstallScreen() override;
};

}  // namespace terravue
