#include "maps/reference_map_view.h"

#include <algorithm>

namespace terravue {

void ReferenceMapView::Reset(int width, int height) {
  natural_width = current_width = width;
  natural_height = current_height = height;
  max_width = 2 * width;
  max_height = 2 * height;
  min_width = width / 2;
  min_height = height / 2;
  scroll_x = scroll_y = 0;
  scrolled = zoom_pending = zoomed = zoom_surface_exists = false;
}

bool ReferenceMapView::ZoomIn() {
  zoom_pending = true;
  if (max_width < 2 * current_width || max_height < 2 * current_height) return false;
  current_width *= 2;
  current_height *= 2;
  return true;
}

bool ReferenceMapView::ZoomOut() {
  zoom_pending = true;
  if (current_width / 2 < min_width || current_height / 2 < min_height) return false;
  current_width /= 2;
  current_height /= 2;
  return true;
}

int ScrollLimit(int extent, int client, int margin) {
  // A margin larger than the overhang would give a negative limit.
  return extent > client ? std::max(extent - client - margin, 0) : 1;
}

int ScrollTarget(ScrollRequest request, int pos, int min, int max, int page, int thumb) {
  switch (request) {
    case ScrollRequest::kLineUp: return pos > min ? pos - 1 : pos;
    case ScrollRequest::kLineDown: return pos < max ? pos + 1 : pos;
    case ScrollRequest::kPageUp: return pos > min ? std::max(pos - page, min) : pos;
    case ScrollRequest::kPageDown: return pos < max ? std::min(pos + page, max) : pos;
    case ScrollRequest::kThumbPosition:
    case ScrollRequest::kThumbTrack: return thumb;
    case ScrollRequest::kTop: return min;
    case ScrollRequest::kBottom: return max;
    case ScrollRequest::kOther: break;
  }
  return pos;
}

}  // namespace terravue
