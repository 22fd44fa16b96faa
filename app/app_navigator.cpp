#include "app/app_navigator.h"

#include <new>
#include <string>

#include "daynight/day_night_screen.h"
#include "screens/install_screen.h"
#include "info/compare_screen.h"
#include "info/country_info_screen.h"
#include "info/help_screen.h"
#include "info/world_facts_screen.h"
#include "maps/continent_map_screen.h"
#include "maps/country_map_screen.h"
#include "maps/reference_map_screen.h"
#include "platform/ui/message_box.h"

namespace terravue {

template <typename Screen, typename SetInput>
void AppNavigator::Run(const SetInput& set_input) {
  if (open_screens_ >= kMaxOpenScreens) {
    tv::ui::MessageBox(u"Error creating Dialog", u"Terravue");
    return;
  }
  ++open_screens_;
  Screen screen;
  set_input(screen);
  screen.RunModal();
  --open_screens_;
}

void AppNavigator::OpenContinentMap(int region) {
  Run<ContinentMapScreen>([region](ContinentMapScreen& screen) { screen.region = region; });
}

void AppNavigator::OpenReferenceMap(int region) {
  Run<ReferenceMapScreen>([region](ReferenceMapScreen& screen) { screen.region = region; });
}

void AppNavigator::OpenCountryMap(std::u16string_view country) {
  Run<CountryMapScreen>([country](CountryMapScreen& screen) { screen.country = country; });
}

void AppNavigator::OpenCountryInfo(std::u16string_view country) {
  Run<CountryInfoScreen>([country](CountryInfoScreen& screen) { screen.country_name = country; });
}

void AppNavigator::OpenDayNight() {
  Run<DayNightScreen>([](DayNightScreen&) {});
}

void AppNavigator::OpenCompare() {
  Run<CompareScreen>([](CompareScreen&) {});
}

void AppNavigator::OpenQuickFacts() {
  Run<WorldFactsScreen>([](WorldFactsScreen&) {});
}

void AppNavigator::OpenHelp(std::u16string_view text) {
  Run<HelpScreen>([text](HelpScreen& screen) { screen.help_text = text; });
}

std::unique_ptr<tv::ui::Dialog> AppNavigator::ShowInstallScreen() {
  std::unique_ptr<InstallScreen> screen;
  try {
    screen = std::make_unique<InstallScreen>();
  } catch (const std::bad_alloc&) {
    tv::ui::MessageBox(u"Error Creating Dialog Object", u"Terravue");
    return nullptr;
  }
  screen->CreateModeless();
  screen->Show(true);
  return screen;
}

}  // namespace terravue
