#include "maps/reference_map_view.h"


namespace terravue {
namespace {

std::string Flag(bool v) { return v ? "true" : "false"; }
std::string Pair(int a, int b) {
  std::string out(1, '[');
  out += std::to_string(a);
  out += ',';
  out += std::to_string(b);
  out += ']';
  return out;
}

}  // namespace

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

std::vector<std::pair<std::string, std::string>> ReferenceMapView::ForDump() const {
  return {
      {"natural", Pair(natural_width, natural_height)},
      {"current", Pair(current_width, current_height)},
      {"maximum", Pair(max_width, max_height)},
      {"minimum", Pair(min_width, min_height)},
      {"scroll", Pair(scroll_x, scroll_y)},
      {"scrolled", Flag(scrolled)},
      {"zoom_pending", Flag(zoom_pending)},
      {"zoomed", Flag(zoomed)},
      {"zoom_surface_exists", Flag(zoom_surface_exists)},
  };
}

}  // namespace terravue
