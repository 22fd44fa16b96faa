#pragma once

#include "screens/navigator.h"

namespace terravue {

// The one navigator that knows every screen: it constructs each with no
// parent, gives it its input, runs it modally and destroys it on return.
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

  // How many screens may stand above the main screen at once. Each holds its
  // surfaces and a nested event loop; a user who keeps opening (Country Info,
  // its map, Country Info, ...) is refused past this, as a handheld out of
  // memory would refuse, instead of exhausting the stack.
  static constexpr int kMaxOpenScreens = 40;

 private:
  // Makes a `Screen`, lets `set_input` give it its input and runs it, unless
  // kMaxOpenScreens are open already: then the user is told and nothing opens.
  template <typename Screen, typename SetInput>
  void Run(const SetInput& set_input);

  int open_screens_ = 0;
};

}  // namespace terravue
