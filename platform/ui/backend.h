#pragma once

#include <chrono>

#include "platform/gfx/bitmap.h"
#include "platform/ui/event.h"

namespace tv::ui {

// What the window system needs from the outside world: the next input event,
// and a place to show a finished frame. Scaling, the mouse-to-stylus mapping
// and the script reader live behind this interface.
class Backend {
 public:
  virtual ~Backend() = default;
  // Blocks until an event is available.
  virtual Event WaitEvent() = 0;
  // The clock that timers follow, from any fixed start: a steady clock for a
  // display, the program's clock for a script.
  virtual std::chrono::milliseconds Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  }
  // Waits for an event until `deadline` on Now()'s clock; returns false,
  // leaving `event` alone, when the deadline comes first.
  virtual bool WaitEventUntil(std::chrono::milliseconds deadline, Event& event) {
    (void)deadline;
    event = WaitEvent();
    return true;
  }
  // Returns an event if one is ready, without blocking (used during long work
  // to keep the window responsive).
  virtual bool PollEvent(Event& event) { (void)event; return false; }
  virtual void Present(const gfx::Bitmap& frame) = 0;
  // Sets the window's icon where there is a window.
  virtual void SetIcon(const gfx::Bitmap& icon) { (void)icon; }
};

}  // namespace tv::ui
