#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "maps/georef.h"
#include "platform/gfx/geometry.h"
#include "screens/map_view.h"

namespace terravue {

// Zoom steps of the country map multiply its size by kZoomFactor or by its
// inverse.
inline constexpr double kZoomFactor = 1.3;
inline constexpr double kInverseZoomFactor = 0.7692307692307692;
inline constexpr double kMilesPerKilometre = 0.621371;

// The label of a path `total_km` long: "12.50 Kms" or "7.77 miles".
std::u16string DistanceLabel(double total_km, bool kilometres);

// The geodesic distance in kilometres between two points on WGS84.
double GeodesicKm(const LonLat& a, const LonLat& b);

// What the distance tool knows. One set for each opening of the map.
struct DistanceState {
  // Kilometres per window pixel at the current zoom; -1 when the place has
  // no scale.
  double scale = -1.0;
  bool distance_mode = false;
  bool start_point_set = false;
  // At least one segment is drawn on the window.
  bool measurement_shown = false;
  // The last tapped point, in window pixels.
  tv::gfx::Point previous_point;
  double total = 0.0;  // kilometres
  bool kilometres = true;
};

// The country map's distance tool: taps on the map turned into a running
// path length. Maps with a georeference measure geodesics on the WGS84
// ellipsoid between the tapped points; maps without one take the pixel
// distance times the scale, and without a scale take no taps.
class DistanceTool {
 public:
  enum class TapResult {
    kIgnored,        // the tool is off, or the tap shows no point to measure
    kStarted,        // the first point: draw its yellow marker
    kSameTotal,      // the path is still 0 long: nothing is drawn
    kSegmentAdded,   // draw the line, the red marker and the label
  };

  // `georef` describes the map's natural-size pixels; nothing when the map
  // has no georeference.
  explicit DistanceTool(std::optional<Georef> georef = std::nullopt, double scale = -1.0);

  bool HasGeoreference() const { return georef_.has_value(); }
  const DistanceState& State() const { return state_; }
  void SetKilometres(bool kilometres) { state_.kilometres = kilometres; }

  // The Distance button: a shown measurement is to be erased (true) and the
  // tool turns off; else the tool turns on, a start point already tapped
  // dropped. The button shows pressed exactly while the tool is on.
  bool PressButton();
  // A zoom step ends the tool; the scale follows the map's size by
  // `scale_factor`.
  void Zoomed(double scale_factor);
  // The map moved by `moved` on the window: the last point moves with it,
  // so a path stays measured on the map however it is scrolled between taps.
  void Scrolled(tv::gfx::Point moved);

  // A tap at window point `p` on `view`. Only taps on the map picture are
  // taken.
  TapResult Tap(const MapView& view, tv::gfx::Point p);

  // Where the segment just added runs past the map's edge: a path across
  // the date line on a world map is measured the short way, so its line
  // leaves the map at one edge and comes back at the other. This is the
  // window offset of the segment's end as seen from its start (one turn of
  // longitude), {0, 0} when the segment stays on the map.
  tv::gfx::Point SegmentWrap() const { return wrap_; }

  // The point of the Earth under window point `p`, or nothing without a
  // georeference or where the map shows none.
  std::optional<LonLat> Locate(const MapView& view, tv::gfx::Point p) const;

  std::vector<std::pair<std::string, std::string>> ForDump() const;

 private:
  // The window offset of the turn of longitude that a segment from the
  // previous point to `to` crosses, {0, 0} for none.
  tv::gfx::Point WrapOf(const MapView& view, tv::gfx::Point p, const LonLat& to) const;

  std::optional<Georef> georef_;
  DistanceState state_;
  // Where the last taken tap lies on the Earth (with a georeference).
  LonLat previous_location_;
  tv::gfx::Point wrap_;
};

}  // namespace terravue
