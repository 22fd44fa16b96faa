#include "app/terravue_app.h"

#include "app/app_navigator.h"
#include "app/first_start.h"
#include "app/main_screen.h"

namespace terravue {

void RunTerravue() {
  // An installed program started from a menu has no installer run before it:
  // it puts its installation files where the installation screen, shown by
  // the main screen, looks for them.
  PlaceInstalledFiles();
  AppNavigator navigator;
  ScopedNavigator installed(navigator);
  MainScreen screen;
  screen.RunModal();
}

}  // namespace terravue
