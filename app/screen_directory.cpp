#include "app/screen_directory.h"

#include <string>

#include <new>

#include "db/install_screen.h"
#include "info/help_screen.h"
#include "platform/ui/message_box.h"

namespace terravue {
namespace {

// Screens that are not part of the program yet say so instead of opening.
void NotAvailableYet(std::u16string_view what) {
  tv::ui::MessageBox(u"Not available yet: " + std::u16string(what), u"Terravue");
}

std::u16string WithCountry(std::u16string_view caption, std::u16string_view country) {
  return std::u16string(caption) + u", " + std::u16string(country);
}

}  // namespace

void OpenContinentMap(int region) {
  NotAvailableYet(u"Continent Map, region " + [region] {
    const std::string digits = std::to_string(region);
    return std::u16string(digits.begin(), digits.end());
  }());
}

void OpenCountryMap(std::u16string_view country) {
  NotAvailableYet(WithCountry(u"Country Map", country));
}

void OpenCountryInfo(std::u16string_view country) {
  NotAvailableYet(WithCountry(u"Country Info", country));
}

void OpenDayNight() { NotAvailableYet(u"Day/Night Plot"); }

void OpenCompare() { NotAvailableYet(u"Compare Countries Info"); }

void OpenQuickFacts() { NotAvailableYet(u"Quick World Facts"); }

void OpenHelp(std::u16string_view text) {
  HelpScreen screen;
  screen.helpText = text;
  screen.RunModal();
}

std::unique_ptr<tv::ui::Dialog> ShowInstallScreen() {
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
