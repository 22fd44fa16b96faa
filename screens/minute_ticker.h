#pragma once

#include <functional>

namespace tv::ui {
class Window;
}

namespace terravue {

// Calls a screen back at each change of the minute on the program's clock
// (the fixed one of a script too), through the window system's timers, so
// that a screen showing the time keeps it current without polling. Stops
// when it goes or when its owner window is destroyed.
class MinuteTicker {
 public:
  MinuteTicker() = default;
  ~MinuteTicker();
  MinuteTicker(const MinuteTicker&) = delete;
  MinuteTicker& operator=(const MinuteTicker&) = delete;

  void Start(const tv::ui::Window& owner, std::function<void()> tick);
  void Stop();

 private:
  // Sets the timer for the next change of the minute.
  void Arm();

  const tv::ui::Window* owner_ = nullptr;
  std::function<void()> tick_;
  int timer_ = 0;
};

}  // namespace terravue
