#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/ui/scroll_bar.h"

namespace tv::ui {

// The rows of a list drawn inside a rectangle: the first visible item, a
// vertical scroll bar that appears when the rows overflow, and row painting
// with a highlighted item and a caret. List boxes and the combo box's
// dropped list share it. Only the visible rows are ever drawn; a partial row
// at the bottom is shown.
class ListRows {
 public:
  ListRows();
  ListRows(const ListRows&) = delete;
  ListRows& operator=(const ListRows&) = delete;

  // The area the rows and the scroll bar share, in the owner's coordinates.
  void SetBounds(const gfx::Rect& bounds);
  void AllowScrollBar(bool allow) { allow_bar_ = allow; }
  // Lays the rows out for `count` items; keeps the first visible row valid.
  void SetCount(int count);
  int Count() const { return count_; }
  int ItemHeight() const { return item_height_; }
  // Rows that fit whole (at least one).
  int FullRows() const;
  int Top() const { return top_; }
  int MaxTop() const;
  // Returns whether the first visible row changed.
  bool SetTop(int top);
  bool ScrollIntoView(int index);
  bool HasScrollBar() const { return has_bar_; }
  ScrollBar& Bar() { return bar_; }
  const ScrollBar& Bar() const { return bar_; }
  // Where the item rows are drawn: the bounds less the scroll bar.
  gfx::Rect RowsArea() const;
  gfx::Rect RowRect(int index) const;
  // The item under `p`, or -1 (outside the rows, on the bar, past the end).
  int ItemAt(gfx::Point p) const;

  // Pen tracking for the owner, who routes every pen event here from pen
  // down to pen up. On the scroll bar the rows follow the bar; on the rows
  // each call returns the item under the pen (-1 when none), and PenUp
  // returns the item the pen was lifted over, the one to pick.
  int PenDown(gfx::Point p);
  int PenMove(gfx::Point p);
  int PenUp(gfx::Point p);
  bool IsTracking() const { return tracking_ != Tracking::kNone; }
  bool IsTrackingBar() const { return tracking_ == Tracking::kBar; }

  // Draws the visible rows of `items`, `highlighted` in white on navy, a
  // dotted caret around `caret` (none when -1), and the scroll bar.
  void Paint(gfx::Canvas& canvas, const std::vector<std::u16string>& items, int highlighted,
             int caret, bool enabled) const;

 private:
  void UpdateBar();

  enum class Tracking { kNone, kRows, kBar };
  Tracking tracking_ = Tracking::kNone;

  gfx::Rect bounds_;
  bool allow_bar_ = true;
  bool has_bar_ = false;
  int count_ = 0;
  int top_ = 0;
  int item_height_;
  ScrollBar bar_{ScrollBar::Orientation::kVertical};
};

// The rows of height `row_height` that meet `dirty` when row `first` is drawn
// at the top of `area`: from `begin` up to `end` (exclusive), at most
// `count`. The list box and the edit box draw only these.
struct RowRange {
  int begin;
  int end;
};
RowRange VisibleRows(const gfx::Rect& area, const gfx::Rect& dirty, int first, int row_height,
                     int count);

// Where an item goes in a sorted list: after every item that compares less
// or equal without regard to case, so equal items keep their adding order.
int SortedInsertIndex(const std::vector<std::u16string>& items, std::u16string_view text);

}  // namespace tv::ui
