#include "maps/distance_tool.h"

#include <GeographicLib/Geodesic.hpp>

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

}  // namespace

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

double GeodesicKm(const LonLat& a, const LonLat& b) {
  double metres = 0;
  GeographicLib::Geodesic::WGS84().Inverse(a.lat, a.lon, b.lat, b.lon, metres);
  return metres / 1000.0;
}

DistanceTool::DistanceTool(std::optional<Georef> georef, double scale)
    : georef_(std::move(georef)) {
  state_.scale = scale;
}

bool DistanceTool::PressButton() {
  const bool erase = state_.measurement_shown;
  state_.distance_mode = !erase;
  state_.measurement_shown = false;
  state_.start_point_set = false;
  return erase;
}

void DistanceTool::Zoomed(double scale_factor) {
  state_.scale *= scale_factor;
  state_.distance_mode = state_.start_point_set = state_.measurement_shown = false;
}

void DistanceTool::Scrolled(tv::gfx::Point moved) {
  if (state_.start_point_set) state_.previous_point = state_.previous_point + moved;
}

std::optional<LonLat> DistanceTool::Locate(const MapView& view, tv::gfx::Point p) const {
  if (!georef_ || view.Current().width <= 0 || view.Current().height <= 0) return std::nullopt;
  const MapPoint m = view.WindowToMap(p);
  return georef_->PixelToLonLat({m.x, m.y});
}

tv::gfx::Point DistanceTool::WrapOf(const MapView& view, tv::gfx::Point p,
                                    const LonLat& to) const {
  const double delta = to.lon - previous_location_.lon;
  const double turns = std::round((std::remainder(delta, 360.0) - delta) / 360.0);
  const std::optional<PixelPos> turn = georef_->TurnStep();
  if (turns == 0 || !turn) return {};
  const MapPoint end = view.WindowToMap(p);
  return view.MapToWindow({end.x + turns * turn->x, end.y + turns * turn->y}) -
         view.MapToWindow(end);
}

DistanceTool::TapResult DistanceTool::Tap(const MapView& view, tv::gfx::Point p) {
  if (!state_.distance_mode || !view.PictureRect().Contains(p)) return TapResult::kIgnored;
  // A place whose scale reads "N/A" has nothing to measure pixels with.
  if (!georef_ && !(state_.scale > 0)) return TapResult::kIgnored;
  std::optional<LonLat> location;
  if (georef_) {
    location = Locate(view, p);
    if (!location) return TapResult::kIgnored;
  }
  if (!state_.start_point_set) {
    state_.previous_point = p;
    if (location) previous_location_ = *location;
    state_.total = 0.0;
    state_.start_point_set = true;
    return TapResult::kStarted;
  }
  double segment = 0.0;
  if (location) {
    segment = GeodesicKm(previous_location_, *location);
  } else {
    const double dx = p.x - state_.previous_point.x;
    const double dy = p.y - state_.previous_point.y;
    segment = std::sqrt(dx * dx + dy * dy) * state_.scale;
  }
  state_.total += segment;
  if (state_.total == 0.0) return TapResult::kSameTotal;
  wrap_ = location ? WrapOf(view, p, *location) : tv::gfx::Point{};
  state_.previous_point = p;
  if (location) previous_location_ = *location;
  state_.measurement_shown = true;
  return TapResult::kSegmentAdded;
}

std::vector<std::pair<std::string, std::string>> DistanceTool::ForDump() const {
  return {
      {"scale", Number(state_.scale)},
      {"distance_mode", Flag(state_.distance_mode)},
      {"start_point_set", Flag(state_.start_point_set)},
      {"measurement_shown", Flag(state_.measurement_shown)},
      {"previous_point", DumpPair(state_.previous_point.x, state_.previous_point.y)},
      {"total", Number(state_.total)},
      {"kilometres", Flag(state_.kilometres)},
      {"georeferenced", Flag(HasGeoreference())},
  };
}

}  // namespace terravue
