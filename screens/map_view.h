#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/window.h"

namespace terravue {

// The zoom commands of both map screens' toolbars.
inline constexpr int kZoomOutCommand = 32783;
inline constexpr int kZoomInCommand = 32784;

// At natural size the scroll ranges stop this many pixels short of the map's
// right and bottom edges; zoomed, they reach them.
inline constexpr int kNaturalScrollMargin = 10;

// How a map screen zooms: the factors of one step in and out, the bounds of
// the zoom as multiples of the natural size, and what a refused step tells
// the user (nothing when empty: the screen handles the refusal itself).
struct ZoomSteps {
  double in = 2.0;
  double out = 0.5;
  double min_scale = 0.5;
  double max_scale = 2.0;
  std::u16string_view refused_in;
  std::u16string_view refused_out;
};

// A point of the map in pixels of its natural size; (0, 0) is the centre of
// the top-left pixel.
struct MapPoint {
  double x = 0;
  double y = 0;
};

// The zoomable map of a screen: a map picture shown in the window's client
// area, moved by the window's own scroll bars and zoomed in steps between
// its bounds. It keeps the map at its natural size (the base surface) and at
// the current size (the zoom surface), and converts between window points
// and map points. The screen forwards its paint and scroll events here; the
// view changes its state only in those handlers and in the zoom steps, and
// its paint only draws.
class MapView {
 public:
  MapView(tv::ui::Window& window, const ZoomSteps& steps) : window_(window), steps_(steps) {}

  // Shows `base`, whose top-left `width` x `height` pixels are the map at
  // its natural size, from its top-left corner, unzoomed, with both scroll
  // ranges stopping kNaturalScrollMargin short of the map's edges.
  void Open(std::unique_ptr<tv::gfx::Bitmap> base, int width, int height);
  bool IsOpen() const { return base_ != nullptr; }

  // One zoom step. A step that would take either side past its bound is
  // refused, says the refusal message (if any) and leaves the size alone.
  // Either way the map is then drawn at the current size from its top-left
  // corner, with the scroll ranges reaching its edges. True when the size
  // changed.
  bool ZoomIn();
  bool ZoomOut();

  // Moves the map as a scroll bar asks (`thumb` is the thumb's position for
  // thumb codes) and returns how far the map moved on the window. Nothing
  // moves along a side where the map fits the window.
  tv::gfx::Point Scroll(tv::ui::ScrollOrientation bar, tv::ui::ScrollCode code, int thumb);

  // Draws the part of the map that lies in the canvas's clip, on white.
  void Paint(tv::gfx::Canvas& canvas) const;

  tv::gfx::Size Natural() const { return natural_; }
  tv::gfx::Size Current() const { return current_; }
  tv::gfx::Size Maximum() const { return maximum_; }
  tv::gfx::Size Minimum() const { return minimum_; }
  // The map point at the window's top-left corner, in current-size pixels.
  tv::gfx::Point ScrollOffset() const { return scroll_; }
  // Whether the zoom surface, not the base surface, is what the window shows.
  bool Zoomed() const { return zoom_ != nullptr; }

  // The map point under the centre of window pixel `p`, and back (rounded
  // to the nearest window pixel).
  MapPoint WindowToMap(tv::gfx::Point p) const;
  tv::gfx::Point MapToWindow(MapPoint m) const;
  // The part of the client area where the map picture shows.
  tv::gfx::Rect PictureRect() const;

  // The view as the automation's dump shows it, as key and JSON value pairs.
  std::vector<std::pair<std::string, std::string>> ForDump() const;

 private:
  // Whether a step to `factor` times the current size stays in bounds.
  bool Step(double factor);
  // Rebuilds the zoom surface and shows it from its top-left corner.
  void ShowZoomed();
  void SetScrollRanges(int margin);

  tv::ui::Window& window_;
  ZoomSteps steps_;
  tv::gfx::Size natural_;
  tv::gfx::Size current_;
  tv::gfx::Size maximum_;
  tv::gfx::Size minimum_;
  tv::gfx::Point scroll_;
  // The map at its natural size in the top-left corner, and at the current
  // size once zoomed.
  std::unique_ptr<tv::gfx::Bitmap> base_;
  std::unique_ptr<tv::gfx::Bitmap> zoom_;
};

// "[a,b]": a size or a point as the automation's dump shows it.
std::string DumpPair(int a, int b);

// The largest scroll position for `content` pixels seen through `client`
// pixels, the range stopping `margin` short of the end; 1 when the content
// fits.
int ScrollRangeMax(int content, int client, int margin);

// Where a scroll bar at `pos` in [min, max] goes for `code`; `thumb` is the
// thumb's reported position and `page` the bar's page size.
int NextScrollPosition(tv::ui::ScrollCode code, int pos, int thumb, int min, int max, int page);

}  // namespace terravue
