#pragma once

#include <functional>

#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/event.h"
#include "platform/ui/scroll_bar.h"

namespace tv::ui {

using ScrollOrientation = ScrollBar::Orientation;

// A scroll bar as its owner sets and reads it. Positions run from `min` to
// `max - max(page - 1, 0)`: with no page set the last position is `max`
// itself.
struct ScrollInfo {
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;
  bool visible = false;
};

// The scroll bars of one window, whatever scrolls in it: a screen's map,
// the lines of a text box, the rows of a list. It keeps both bars' ranges
// and positions, lays the bars out along the right and bottom edges of its
// area with the corner between them, follows the pen on them (repeating a
// held arrow or trough), turns the keys into scroll requests, and paints the
// bars. The window that owns it decides what a request does (Window's
// OnScroll, which by default moves the bar) and reads the positions when it
// draws.
//
// A screen's bars lie along the edges of its frame and take their room from
// the client area; a control's lie inside its client area, along the edges
// of the area it places them in (inside its border), and what it shows
// follows their positions.
class ScrollHost {
 public:
  enum class Placement { kFrame, kInside };
  // When a control's bar shows.
  enum class Policy { kNever, kAlways, kAsNeeded };

  // What the host needs from its window.
  struct Owner {
    // The user asked to scroll (the pen on a bar, a key, the wheel).
    std::function<void(ScrollOrientation bar, ScrollCode code, int pos)> request;
    // The bars need painting again.
    std::function<void()> bars_changed;
    // A bar's position changed (only for bars placed inside).
    std::function<void()> moved;
    // Starts or stops the repeat of a held arrow or trough.
    std::function<void(bool held)> hold;
  };

  explicit ScrollHost(Owner owner);
  ScrollHost(const ScrollHost&) = delete;
  ScrollHost& operator=(const ScrollHost&) = delete;

  Placement GetPlacement() const { return placement_; }
  // Frame placement: the window's frame size (client coordinates from 0,0).
  void SetFrameSize(gfx::Size size);
  // Places the bars inside `area` (client coordinates), as a control does.
  void PlaceInside(const gfx::Rect& area);

  // A control's content along one bar: `extent` units (lines, rows or
  // pixels) of `unit` pixels each; the page is what fits of the area left
  // by the bars, less `margin` pixels. The bar's range becomes 0 to
  // `extent - 1`, its page that many units.
  void SetContent(ScrollOrientation bar, int extent, int unit = 1, int margin = 0);
  void SetPolicy(ScrollOrientation bar, Policy policy);
  // How far an arrow (or an arrow key) moves the bar; one unit by default.
  void SetLineStep(ScrollOrientation bar, int step);

  // A screen's bars, as Window's scroll bar functions set them.
  void Show(ScrollOrientation bar, bool show);
  void SetRange(ScrollOrientation bar, int min, int max);
  void SetPage(ScrollOrientation bar, int page);
  // Moves the bar, clamped to its range; returns the position it had.
  int SetPos(ScrollOrientation bar, int pos);

  int Pos(ScrollOrientation bar) const { return Axis(bar).info.pos; }
  // The last position the bar can take.
  int MaxPos(ScrollOrientation bar) const;
  int Page(ScrollOrientation bar) const { return Axis(bar).info.page; }
  ScrollInfo Info(ScrollOrientation bar) const;
  bool IsVisible(ScrollOrientation bar) const { return Axis(bar).visible; }
  bool HasVisibleBars() const { return h_.visible || v_.visible; }
  // The visible bar, for its geometry; null when hidden.
  const ScrollBar* VisibleBar(ScrollOrientation bar) const;
  // The area less the visible bars: a screen's client area, or where a
  // control draws what scrolls.
  gfx::Rect Viewport() const;
  // The bars and the corner between them.
  gfx::Rect BarsBounds() const;
  // Whether `area` meets a visible bar or the corner.
  bool Meets(const gfx::Rect& area) const;

  // The pen: PenDown takes it when `p` lies on a visible bar.
  bool PenDown(gfx::Point p);
  void PenMove(gfx::Point p);
  void PenUp(gfx::Point p);
  bool IsTracking() const { return tracked_ != nullptr; }
  // One tick of a held arrow or trough: steps again while the pen holds it.
  void Repeat();

  // Up, Down, PageUp, PageDown, Home and End ask the vertical bar (the
  // horizontal one when there is no other), Left and Right the horizontal
  // one. A screen's keys reach only its visible bars. Returns whether the
  // key was used.
  bool Key(Key key);
  // The mouse wheel: `lines` lines down (up when negative) on the vertical
  // bar, or the horizontal one when there is no other.
  bool Wheel(int lines);

  // The request of a bar that follows the user: where `code` moves it.
  int TargetPos(ScrollOrientation bar, ScrollCode code, int pos) const;

  // Draws the visible bars and the silver corner between them.
  void Paint(gfx::Canvas& canvas) const;

 private:
  struct BarAxis {
    explicit BarAxis(ScrollOrientation orientation) : part(orientation) {}
    ScrollBar part;
    ScrollInfo info;
    bool visible = false;
    bool configured = false;
    Policy policy = Policy::kNever;
    int extent = 0;
    int unit = 1;
    int margin = 0;
  };

  BarAxis& Axis(ScrollOrientation bar) { return bar == ScrollOrientation::kVertical ? v_ : h_; }
  const BarAxis& Axis(ScrollOrientation bar) const {
    return bar == ScrollOrientation::kVertical ? v_ : h_;
  }
  // Lays the bars out in the area and, for a control, sets their ranges
  // from its content.
  void Layout();
  // Clamps the position and gives the part its range.
  void Sync(BarAxis& axis);
  // Whether keys and the wheel may move this bar.
  bool Scrolls(const BarAxis& axis) const;
  void Ask(ScrollOrientation bar, ScrollCode code);

  Owner owner_;
  Placement placement_ = Placement::kFrame;
  gfx::Rect area_;
  BarAxis h_{ScrollOrientation::kHorizontal};
  BarAxis v_{ScrollOrientation::kVertical};
  BarAxis* tracked_ = nullptr;
};

}  // namespace tv::ui
