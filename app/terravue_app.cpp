#include "app/terravue_app.h"

#include <memory>

#include "app/app_navigator.h"
#include "app/main_screen.h"

namespace terravue {

bool TerravueApp::InitInstance() {
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
