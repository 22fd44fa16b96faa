#pragma once

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
  // Returns an event if one is ready, without blocking (used during long work
  // to keep the window responsive).
  virtual bool PollEvent(Event& event) { (void)event; return false; }
  virtual void Present(const gfx::Bitmap& frame) = 0;
  // Sets the window's icon where there is a window.
  virtual void SetIcon(const gfx::Bitmap& icon) { (void)icon; }
};

}  // namespace tv::ui
