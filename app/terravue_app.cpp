#include "app/terravue_app.h"

#include <memory>

#include "app/app_navigator.h"
#include "app/first_start.h"
#include "app/main_screen.h"

namespace terravue {

bool TerravueApp::InitInstance() {
  // An installed program started from a menu has no installer run before it:
  // it puts its installation files where the installation screen, shown by
  // the main screen, looks for them.
  PlaceInstalledFiles();
  AppNavigator navigator;
  ScopedNavigator installed(navigator);
  auto screen = std::make_unique<MainScreen>();
  main_window_ = screen.get();
  screen->RunModal();
  main_window_ = nullptr;
  screen.reset();
  return false;
}

}  // namespace terravue
