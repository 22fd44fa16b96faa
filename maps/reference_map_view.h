#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/scroll_bar.h"

namespace terravue {

// The view of the Reference Map: a region map shown at half, natural or
// double size and scrolled. Sizes are in pixels; the arithmetic is integer,
// so halving an odd size loses a pixel that doubling does not give back.
struct ReferenceMapView {
  int natural_width = 0;
  int natural_height = 0;
  int current_width = 0;
  int current_height = 0;
  int max_width = 0;
  int max_height = 0;
  int min_width = 0;
  int min_height = 0;
  int scroll_x = 0;
  int scroll_y = 0;
  bool scrolled = false;
  // The next paint rebuilds the zoom surface at the current size.
  bool zoom_pending = false;
  // The zoom surface, not the base surface, is what the window shows.
  bool zoomed = false;
  bool zoom_surface_exists = false;

  // Clears the flags and the scroll position and starts at natural size,
  // with twice and half (truncated) that as the limits.
  void Reset(int width, int height);

  // One zoom step. Each sets zoom pending, also when it is refused; they
  // return false, leaving the size alone, when the step would pass a limit.
  bool ZoomIn();
  bool ZoomOut();

  // The view as the automation's dump shows it, as key and JSON value pairs.
  std::vector<std::pair<std::string, std::string>> ForDump() const;
};

}  // namespace terravue
