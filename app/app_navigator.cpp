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
void AppNavigator::OpenContinentMap(int region) {
  ContinentMapScreen screen;
  screen.region = region;
  screen.RunModal();
}

void AppNavigator::OpenReferenceMap(int region) {
  ReferenceMapScreen screen;
  screen.region = region;
  screen.RunModal();
}

void AppNavigator::OpenCountryMap(std::u16string_view country) {
  CountryMapScreen screen;
  screen.country = country;
  screen.RunModal();
}

void AppNavigator::OpenCountryInfo(std::u16string_view country) {
  CountryInfoScreen screen;
  screen.country_name = country;
  screen.RunModal();
}

void AppNavigator::OpenDayNight() {
  DayNightScreen screen;
  screen.RunModal();
}

void AppNavigator::OpenCompare() {
  CompareScreen screen;
  screen.RunModal();
}

void AppNavigator::OpenQuickFacts() {
  WorldFactsScreen screen;
  screen.RunModal();
}

void AppNavigator::OpenHelp(std::u16string_view text) {
  HelpScreen screen;
  screen.help_text = text;
  screen.RunModal();
}

std::unique_ptr<tv::ui::Dialog> AppNavigator::ShowInstallScreen() {
  std::unique_ptr<InstallScreen> screen;
  try {
    screen = std::make_unique<InstallScreen>();
  } catch (const std::bad_alloc&) {
    tv::ui::MessageBox(u"Error Creating Dialog Object", u"Terravue");
    return nullptr;
  }
  if (!screen->CreateModeless()) tv::ui::MessageBox(u"Error creating Dialog", u"Terravue");
  screen->Show(true);
  return screen;
}

}  // namespace terravue
