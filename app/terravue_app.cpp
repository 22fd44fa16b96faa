#include "app/terravue_app.h"

#include <memory>

#include "app/main_screen.h"

namespace terravue {

bool TerravueApp::InitInstance() {
  auto screen = std::make_unique<MainScreen>();
  main_window_ = screen.get();
  screen->RunModal();
  main_window_ = nullptr;
  screen.reset();
  return false;
}

}  // namespace terravue
