#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/ui/scroll_host.h"

namespace tv::ui {

// The rows of a list drawn inside a rectangle of its window, scrolled by the
// window's scroll host: a vertical bar appears when the rows overflow, and
// its position is the first visible row. Paints the rows with a highlighted
// item and a caret. List boxes and the combo box's dropped list share it.
// Only the visible rows are ever drawn; a partial row at the bottom is shown.
class ListRows {
 public:
  explicit ListRows(ScrollHost& scroller);
  ListRows(const ListRows&) = delete;
  ListRows& operator=(const ListRows&) = delete;

  // The area the rows and the scroll bar share, in the owner's coordinates.
  void SetBounds(const gfx::Rect& bounds);
  void AllowScrollBar(bool allow);
  // Lays the rows out for `count` items; keeps the first visible row valid.
  void SetCount(int count);
  int Count() const { return count_; }
  int ItemHeight() const { return item_height_; }
  // Rows that fit whole (at least one).
  int FullRows() const { return scroller_.Page(ScrollOrientation::kVertical); }
  int Top() const { return scroller_.Pos(ScrollOrientation::kVertical); }
  void SetTop(int top) { scroller_.SetPos(ScrollOrientation::kVertical, top); }
  void ScrollIntoView(int index);
  bool HasScrollBar() const { return scroller_.IsVisible(ScrollOrientation::kVertical); }
  // Where the item rows are drawn: the bounds less the scroll bar.
  gfx::Rect RowsArea() const { return scroller_.Viewport(); }
  gfx::Rect RowRect(int index) const;
  // The item under `p`, or -1 (outside the rows, on the bar, past the end).
  int ItemAt(gfx::Point p) const;

  // Draws the visible rows of `items`, `highlighted` in white on navy and a
  // dotted caret around `caret` (none when -1).
  void Paint(gfx::Canvas& canvas, const std::vector<std::u16string>& items, int highlighted,
             int caret, bool enabled) const;

 private:
  ScrollHost& scroller_;
  int count_ = 0;
  int item_height_;
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
