#pragma once

namespace tv::ui {
class Window;
}

namespace terravue {

// The one application object. Its start hook runs the main screen and
// returns false, so the program ends when the main screen closes.
class TerravueApp {
 public:
  bool InitInstance();
  tv::ui::Window* MainWindow() const { return main_window_; }

 private:
  tv::ui::Window* main_window_ = nullptr;
};

}  // namespace terravue
