#pragma once

#include <chrono>
#include <functional>

#include "platform/gfx/canvas.h"
#include "platform/gfx/color.h"
#include "platform/gfx/geometry.h"

namespace tv::ui {

enum class ArrowDirection { kUp, kDown, kLeft, kRight };
// A small solid triangle centred in `box`: the mark of scroll bar arrows and
// of the combo box's drop button.
void DrawArrowHead(gfx::Canvas& canvas, const gfx::Rect& box, ArrowDirection direction,
                   gfx::Color color);

// What a scroll bar asks of the window that owns it. "Up" is left for a
// horizontal bar.
enum class ScrollCode {
  kLineUp,
  kLineDown,
  kPageUp,
  kPageDown,
  kThumbPosition,  // the thumb was let go at `pos`
  kThumbTrack,     // the thumb is being dragged, now at `pos`
  kTop,
  kBottom,
  kEndScroll,      // the pen left the bar
};

// A scroll bar part drawn and fed by the scroll host that owns it: arrow
// boxes at both ends, a track and a thumb sized by the visible share of the
// content. The content runs from `min` to `max` (exclusive) and `page` units
// of it are visible, so positions run from `min` to `max - page`. The pen
// calls take points in the owner's client coordinates. The bar only reports
// what the user asked for; its owner decides where the bar goes.
class ScrollBar {
 public:
  enum class Orientation { kVertical, kHorizontal };
  static constexpr int kThickness = 13;
  static constexpr int kMinThumbLength = 8;
  // A held arrow or trough steps again after the delay, then at the interval.
  static constexpr std::chrono::milliseconds kRepeatDelay{400};
  static constexpr std::chrono::milliseconds kRepeatInterval{50};
  using Reporter = std::function<void(ScrollCode code, int pos)>;

  explicit ScrollBar(Orientation orientation) : orientation_(orientation) {}

  Orientation GetOrientation() const { return orientation_; }
  void SetBounds(const gfx::Rect& bounds) { bounds_ = bounds; }
  const gfx::Rect& Bounds() const { return bounds_; }
  void SetReporter(Reporter reporter) { reporter_ = std::move(reporter); }

  // Sets the content and visible extents; the position is clamped to them.
  void SetRange(int min, int max, int page);
  // How far one tap on an arrow moves (one line of a list, some pixels of a
  // wide text).
  void SetLineStep(int step) { line_step_ = step < 1 ? 1 : step; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Page() const { return page_; }
  int Pos() const { return pos_; }
  int MaxPos() const;
  bool CanScroll() const { return MaxPos() > min_; }
  // Moves to `pos`, clamped; returns whether the position changed.
  bool SetPos(int pos);
  int LineStepSize() const { return line_step_; }
  int PageStepSize() const { return page_ < 1 ? 1 : page_; }

  // Starts tracking when `p` lies on the bar and returns whether it did: an
  // arrow steps a line, the track a page, the thumb starts a drag.
  bool PenDown(gfx::Point p);
  void PenMove(gfx::Point p);
  void PenUp(gfx::Point p);
  bool IsTracking() const { return tracked_ != Part::kNone; }
  // Whether the pen holds an arrow or the track, which step again while held.
  bool IsHolding() const;
  // Steps again as the pen down did, while the pen still holds the arrow or
  // the track beyond the thumb; returns whether it did.
  bool Repeat();

  void Paint(gfx::Canvas& canvas) const;

  // The parts, in the owner's client coordinates. The thumb is empty when
  // there is nothing to scroll or no room to show it.
  gfx::Rect DecrementArrowRect() const;
  gfx::Rect IncrementArrowRect() const;
  gfx::Rect ThumbRect() const;

 private:
  enum class Part { kNone, kDecrementArrow, kIncrementArrow, kPageBack, kPageForward, kThumb };

  int Along(gfx::Point p) const { return orientation_ == Orientation::kVertical ? p.y : p.x; }
  int Start() const;
  int End() const;
  int ArrowLength() const;
  // A rectangle spanning the bar's thickness between two positions along it.
  gfx::Rect Span(int from, int to) const;
  // The thumb's extent along the bar at `pos`; both zero when it is not shown.
  void ThumbSpan(int pos, int& from, int& to) const;
  Part HitTest(gfx::Point p) const;
  void Request(ScrollCode code, int pos);
  // Where the thumb is drawn: where the pen holds it during a drag.
  int ShownPos() const;

  Orientation orientation_;
  gfx::Rect bounds_;
  Reporter reporter_;
  int min_ = 0;
  int max_ = 0;
  int page_ = 0;
  int pos_ = 0;
  int line_step_ = 1;
  Part tracked_ = Part::kNone;
  bool pressed_ = false;  // the pen is still over the tracked arrow
  int grab_offset_ = 0;   // where on the thumb the pen took hold
  int track_pos_ = 0;     // the dragged thumb's position
  gfx::Point pen_;        // where the pen is
};

}  // namespace tv::ui
