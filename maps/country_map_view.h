#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "maps/georef.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/scroll_bar.h"

namespace terravue {

// Zoom steps multiply the map's size by kZoomFactor or by its inverse.
inline constexpr double kZoomFactor = 1.3;
inline constexpr double kInverseZoomFactor = 0.7692307692307692;
// The horizontal and vertical scroll ranges of a map at its natural size stop
// this many pixels short of the map's right and bottom edges.
inline constexpr int kNaturalScrollMargin = 10;
inline constexpr double kMilesPerKilometre = 0.621371;

// Everything the country map screen knows about its view: sizes, zoom and
// scroll, and the distance tool. One set for the whole program, reset each
// time the screen opens.
struct CountryMapViewState {
  int natural_width = 0;
  int natural_height = 0;
  int current_width = 0;
  int current_height = 0;
  int maximum_width = 0;
  int maximum_height = 0;
  int minimum_width = 0;
  int minimum_height = 0;
  // Kilometres per window pixel at the current zoom; -1 when the place has
  // no scale.
  double scale = -1.0;
  int scroll_x = 0;
  int scroll_y = 0;
  bool scrolled = false;
  bool zoom_pending = false;
  bool zoomed = false;
  bool zoom_surface_exists = false;
  bool distance_mode = false;
  bool start_point_set = false;
  bool measurement_shown = false;
  tv::gfx::Point previous_point;
  double total = 0.0;  // kilometres
  bool kilometres = true;

  // Clears the flags and the scroll offsets and takes the map's natural
  // size, from which the current, maximum and minimum sizes follow.
  void Reset(int width, int height, double map_scale);

  // One zoom step. Both set zoom_pending, also when refused, so that the
  // next paint redraws the view. They return false, changing nothing else,
  // when the step would pass twice (in) or half (out) the natural size.
  bool ZoomIn();
  bool ZoomOut();
  // What the paint that rebuilds a zoomed view leaves: the scroll offsets
  // back at 0 and the distance tool off.
  void EndZoomPaint();

  // The Distance button: it shows pressed exactly when no measurement is on
  // the window; a shown measurement is to be erased and the tool turned off,
  // else the tool turns on (a start point already tapped is dropped).
  struct DistanceButtonResult {
    bool pressed = false;
    bool erase = false;
  };
  DistanceButtonResult PressDistanceButton();

  // The view's state as the automation's dump shows it.
  std::vector<std::pair<std::string, std::string>> ForDump() const;
};

// The largest scroll position for `content` pixels seen through `client`
// pixels, the range stopping `margin` short of the end; 1 when the content
// fits.
int ScrollRangeMax(int content, int client, int margin);

// Where a scroll bar at `pos` in [min, max] goes for `code`; `thumb` is the
// thumb's reported position and `page` the bar's page size.
int NextScrollPosition(tv::ui::ScrollCode code, int pos, int thumb, int min, int max, int page);

// The label of a path `total_km` long: "12.50 Kms" or "7.77 miles".
std::u16string DistanceLabel(double total_km, bool kilometres);

// The distance tool: taps at window points turned into a running path
// length. Maps with a georeference measure geodesics on the WGS84
// ellipsoid between the tapped points; maps without one take the pixel
// distance times the scale.
class DistanceTool {
 public:
  enum class TapResult {
    kIgnored,        // the tool is off, or the tap shows no point of the Earth
    kStarted,        // the first point: draw its yellow marker
    kSameTotal,      // the path is still 0 long: nothing is drawn
    kSegmentAdded,   // draw the line, the red marker and the label
  };

  // `georef` describes the map's natural-size pixels; nothing when the map
  // has no georeference.
  explicit DistanceTool(std::optional<tv::maps::Georef> georef = std::nullopt)
      : georef_(std::move(georef)) {}

  bool HasGeoreference() const { return georef_.has_value(); }

  // A tap at window point `p` with the view as it is now.
  TapResult Tap(CountryMapViewState& view, tv::gfx::Point p);

  // The point of the Earth under window point `p`, or nothing without a
  // georeference or where the map shows none.
  std::optional<tv::maps::LonLat> Locate(const CountryMapViewState& view,
                                         tv::gfx::Point p) const;

 private:
  std::optional<tv::maps::Georef> georef_;
  // Where the last taken tap lies on the Earth (with a georeference).
  tv::maps::LonLat previous_location_;
};

// The geodesic distance in kilometres between two points on WGS84.
double GeodesicKm(const tv::maps::LonLat& a, const tv::maps::LonLat& b);

}  // namespace terravue
