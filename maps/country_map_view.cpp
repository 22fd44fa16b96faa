#include "maps/country_map_view.h"

#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace terravue {
namespace {

std::string Number(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.10g", v);
  return buffer;
}

std::string Flag(bool v) { return v ? "true" : "false"; }

std::string Pair(int a, int b) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "[%d,%d]", a, b);
  return buffer;
}

}  // namespace

void CountryMapViewState::Reset(int width, int height, double map_scale) {
  natural_width = current_width = width;
  natural_height = current_height = height;
  maximum_width = 2 * width;
  maximum_height = 2 * height;
  minimum_width = width / 2;
  minimum_height = height / 2;
  scale = map_scale;
  scroll_x = scroll_y = 0;
  scrolled = zoom_pending = zoomed = zoom_surface_exists = false;
  distance_mode = start_point_set = measurement_shown = false;
  previous_point = {};
  total = 0.0;
}

bool CountryMapViewState::ZoomIn() {
  zoom_pending = true;
  const double width = current_width * kZoomFactor;
  const double height = current_height * kZoomFactor;
  if (width > maximum_width || height > maximum_height) return false;
  current_width = static_cast<int>(width);
  current_height = static_cast<int>(height);
  scale *= kInverseZoomFactor;
  zoom_surface_exists = true;
  return true;
}

bool CountryMapViewState::ZoomOut() {
  zoom_pending = true;
  const double width = current_width * kInverseZoomFactor;
  const double height = current_height * kInverseZoomFactor;
  if (width < minimum_width || height < minimum_height) return false;
  current_width = static_cast<int>(width);
  current_height = static_cast<int>(height);
  scale *= kZoomFactor;
  zoom_surface_exists = true;
  return true;
}

void CountryMapViewState::EndZoomPaint() {
  scroll_x = scroll_y = 0;
  scrolled = zoom_pending = false;
  distance_mode = start_point_set = measurement_shown = false;
  zoomed = true;
}

CountryMapViewState::DistanceButtonResult CountryMapViewState::PressDistanceButton() {
  DistanceButtonResult result;
  result.pressed = !measurement_shown;
  result.erase = measurement_shown;
  distance_mode = !measurement_shown;
  measurement_shown = false;
  start_point_set = false;
  return result;
}

std::vector<std::pair<std::string, std::string>> CountryMapViewState::ForDump() const {
  return {
      {"natural", Pair(natural_width, natural_height)},
      {"current", Pair(current_width, current_height)},
      {"maximum", Pair(maximum_width, maximum_height)},
      {"minimum", Pair(minimum_width, minimum_height)},
      {"scale", Number(scale)},
      {"scroll", Pair(scroll_x, scroll_y)},
      {"scrolled", Flag(scrolled)},
      {"zoom_pending", Flag(zoom_pending)},
      {"zoomed", Flag(zoomed)},
      {"zoom_surface_exists", Flag(zoom_surface_exists)},
      {"distance_mode", Flag(distance_mode)},
      {"start_point_set", Flag(start_point_set)},
      {"measurement_shown", Flag(measurement_shown)},
      {"previous_point", Pair(previous_point.x, previous_point.y)},
      {"total", Number(total)},
      {"kilometres", Flag(kilometres)},
  };
}

int ScrollRangeMax(int content, int client, int margin) {
  // A margin larger than the overhang would give a negative limit.
  return content > client ? std::max(content - client - margin, 0) : 1;
}

int NextScrollPosition(tv::ui::ScrollCode code, int pos, int thumb, int min, int max, int page) {
  using tv::ui::ScrollCode;
  switch (code) {
    case ScrollCode::kLineUp:
      return pos > min ? pos - 1 : pos;
    case ScrollCode::kLineDown:
      return pos < max ? pos + 1 : pos;
    case ScrollCode::kPageUp:
      return pos > min ? std::max(pos - page, min) : pos;
    case ScrollCode::kPageDown:
      return pos < max ? std::min(pos + page, max) : pos;
    case ScrollCode::kThumbPosition:
    case ScrollCode::kThumbTrack:
      return thumb;
    case ScrollCode::kTop:
      return min;
    case ScrollCode::kBottom:
      return max;
    case ScrollCode::kEndScroll:
      break;
  }
  return pos;
}

std::u16string DistanceLabel(double total_km, bool kilometres) {
  char buffer[64];
  if (kilometres) {
    std::snprintf(buffer, sizeof buffer, "%.2f Kms", total_km);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.2f miles", total_km * kMilesPerKilometre);
  }
  const std::string text = buffer;
  return std::u16string(text.begin(), text.end());
}

double GeodesicKm(const tv::maps::LonLat& a, const tv::maps::LonLat& b) {
  double metres = 0;
  GeographicLib::Geodesic::WGS84().Inverse(a.lat, a.lon, b.lat, b.lon, metres);
  return metres / 1000.0;
}

std::optional<tv::maps::LonLat> DistanceTool::Locate(const CountryMapViewState& view,
                                                     tv::gfx::Point p) const {
  if (!georef_ || view.current_width <= 0 || view.current_height <= 0) return std::nullopt;
  // The window pixel's centre in the shown map, scaled back to the natural
  // size; georeferenced positions count from the top-left pixel's centre.
  const double x = (p.x + view.scroll_x + 0.5) * view.natural_width / view.current_width - 0.5;
  const double y = (p.y + view.scroll_y + 0.5) * view.natural_height / view.current_height - 0.5;
  return georef_->PixelToLonLat({x, y});
}

DistanceTool::TapResult DistanceTool::Tap(CountryMapViewState& view, tv::gfx::Point p) {
  if (!view.distance_mode) return TapResult::kIgnored;
  std::optional<tv::maps::LonLat> location;
  if (georef_) {
    location = Locate(view, p);
    if (!location) return TapResult::kIgnored;
  }
  if (!view.start_point_set) {
    view.previous_point = p;
    if (location) previous_location_ = *location;
    view.total = 0.0;
    view.start_point_set = true;
    return TapResult::kStarted;
  }
  double segment = 0.0;
  if (location) {
    segment = GeodesicKm(previous_location_, *location);
  } else {
    const double dx = p.x - view.previous_point.x;
    const double dy = p.y - view.previous_point.y;
    segment = std::sqrt(dx * dx + dy * dy) * view.scale;
  }
  view.total += segment;
  if (view.total == 0.0) return TapResult::kSameTotal;
  view.previous_point = p;
  if (location) previous_location_ = *location;
  view.measurement_shown = true;
  return TapResult::kSegmentAdded;
}

}  // namespace terravue
